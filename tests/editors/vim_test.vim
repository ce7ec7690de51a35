" Run by vim_test.sh in Vim and Neovim with editors/vim first in 'runtimepath'.
" Writes one FAIL line per fault to the file named by $MORVEL_VIM_RESULT.
let s:faults = []

function! s:Expect(what, got, want) abort
  if a:got !=# a:want
    call add(s:faults, printf('FAIL: %s: got %s, want %s', a:what, string(a:got), string(a:want)))
  endif
endfunction

" The syntax group at `text` in the first line that holds it.
function! s:SyntaxAt(text) abort
  let l:line = search('\V' . escape(a:text, '\'), 'nw')
  let l:col = stridx(getline(l:line), a:text) + 1
  return synIDattr(synID(l:line, l:col, 1), 'name')
endfunction

let v:errmsg = ''
filetype plugin on
syntax on

" A definition named *.def is Morvel when it has a section header ...
execute 'edit' fnameescape($MORVEL_SAMPLE)
call s:Expect('filetype of the sample', &filetype, 'morvel')
call s:Expect('syntax of the sample', get(b:, 'current_syntax', ''), 'morvel')
call s:Expect('makeprg', &l:makeprg, 'morvel --check %:S')
call s:Expect('LET', s:SyntaxAt('LET amount'), 'morvelStatement')
call s:Expect('FORMAT', s:SyntaxAt('FORMAT'), 'morvelFunction')
call s:Expect('string', s:SyntaxAt('"99Z"'), 'morvelString')
call s:Expect('escape', s:SyntaxAt('\t'), 'morvelEscape')
call s:Expect('AND', s:SyntaxAt('AND'), 'morvelOperatorWord')
call s:Expect('TRUE', s:SyntaxAt('TRUE'), 'morvelConstant')
call s:Expect('REM', s:SyntaxAt('LET x = 1'), 'morvelRemark')
call s:Expect('section', s:SyntaxAt('[INPUT]'), 'morvelSection')
call s:Expect('directive', s:SyntaxAt('#include'), 'morvelDirective')
call s:Expect('comment', s:SyntaxAt('; a comment'), 'morvelComment')
call s:Expect('option', s:SyntaxAt('ALIGN:'), 'morvelOption')
call s:Expect('number with unit', s:SyntaxAt('10C'), 'morvelNumber')

" ... and :make runs morvel --check (a stand-in on PATH here) and fills the quickfix
" list with the line, column and kind of each message.
silent make
let s:list = getqflist()
call s:Expect('quickfix entries', len(filter(copy(s:list), 'v:val.valid')), 3)
if len(s:list) >= 3
  call s:Expect('error line', [s:list[0].lnum, s:list[0].col, s:list[0].type], [12, 5, 'e'])
  call s:Expect('error text', s:list[0].text, 'MESAGE is not a setting or statement known here')
  call s:Expect('error file', fnamemodify(bufname(s:list[0].bufnr), ':t'), 'payslip.def')
  call s:Expect('note kind', s:list[1].type, 'n')
  call s:Expect('warning line', [s:list[2].lnum, s:list[2].col, s:list[2].type], [3, 7, 'w'])
endif

" A Modula-2 definition module keeps Vim's own file type.
execute 'edit' fnameescape($MORVEL_OTHER)
call s:Expect('filetype of another .def', &filetype ==# 'morvel', 0)

call s:Expect('error message while loading', v:errmsg, '')
call writefile(s:faults, $MORVEL_VIM_RESULT)
qall!
