" Morvel definitions: *.mdef and *.morvel always; *.def (which Vim gives to Modula-2)
" only when one of the first 100 lines is a Morvel section header such as [OUTPUT].
autocmd BufNewFile,BufRead *.mdef,*.morvel setfiletype morvel
autocmd BufRead *.def call s:MorvelDetect()

function! s:MorvelDetect() abort
  for l:line in getline(1, 100)
    if l:line =~? '^\s*\[\%(INPUT\|EXTRACT\|DELIVERY\|OUTPUT\|REFORMAT\)\]'
      set filetype=morvel
      return
    endif
  endfor
endfunction
