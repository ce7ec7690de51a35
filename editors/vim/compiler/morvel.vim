" Vim compiler file: :make checks the current definition with "morvel --check",
" which reports FILE:LINE:COLUMN: error|warning|note: TEXT.

if exists("current_compiler")
  finish
endif
let current_compiler = "morvel"

if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif

let s:cpo_save = &cpo
set cpo&vim

CompilerSet makeprg=morvel\ --check\ %:S
CompilerSet errorformat=%f:%l:%c:\ %trror:\ %m,
                       \%f:%l:%c:\ %tarning:\ %m,
                       \%f:%l:%c:\ %tote:\ %m,
                       \%-G%.%#

let &cpo = s:cpo_save
unlet s:cpo_save
