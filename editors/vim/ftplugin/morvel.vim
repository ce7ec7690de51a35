" Morvel definitions: comments start with ";", and :make runs "morvel --check".

if exists("b:did_ftplugin")
  finish
endif
let b:did_ftplugin = 1

setlocal commentstring=;\ %s
setlocal comments=:;
setlocal formatoptions-=t formatoptions+=croql
setlocal iskeyword=@,48-57,_
compiler morvel

let b:undo_ftplugin = "setlocal commentstring< comments< formatoptions< iskeyword< makeprg< errorformat<"
