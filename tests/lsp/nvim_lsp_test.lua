-- A real client: Neovim's built-in LSP client on morvel-lsp. Opens a definition with a
-- misspelt statement and checks the diagnostic's line, column and text; asks for hover
-- on a built-in function and for completion after "FIELD = 1, 1, 10, ".
-- Run by nvim_lsp_test.sh; the result goes to $MORVEL_OUT ("PASS" or the failures).
local lsp_bin = os.getenv('MORVEL_LSP')
local def = os.getenv('MORVEL_DEF')
local out = os.getenv('MORVEL_OUT')
local failures = {}

local function check(cond, what)
  if not cond then table.insert(failures, what) end
end

local function finish()
  local f = io.open(out, 'w')
  if #failures == 0 then f:write('PASS\n') else f:write(table.concat(failures, '\n') .. '\n') end
  f:close()
  vim.cmd('qall!')
end

local ok, err = pcall(function()
  vim.cmd('edit ' .. vim.fn.fnameescape(def))
  local buf = vim.api.nvim_get_current_buf()
  local config = {
    name = 'morvel',
    cmd = { lsp_bin },
    root_dir = vim.fn.fnamemodify(def, ':h'),
    flags = { debounce_text_changes = 0 },
  }
  local client_id
  if vim.lsp.start then
    client_id = vim.lsp.start(config)
  else
    client_id = vim.lsp.start_client(config)
    vim.lsp.buf_attach_client(buf, client_id)
  end
  check(client_id ~= nil, 'the client started')

  -- The diagnostic of the misspelt statement (line 30, column 5 counted from 1).
  local got = vim.wait(15000, function() return #vim.diagnostic.get(buf) > 0 end, 20)
  check(got, 'a diagnostic arrived')
  local d = vim.diagnostic.get(buf)[1]
  if d then
    check(d.lnum == 29, 'diagnostic line: ' .. tostring(d.lnum))
    check(d.col == 4, 'diagnostic column: ' .. tostring(d.col))
    check(d.message:find('MESAGE is not a setting or statement known here; did you mean MESSAGE?', 1, true) ~= nil,
          'diagnostic text: ' .. d.message)
    check(d.severity == vim.diagnostic.severity.ERROR, 'diagnostic severity')
  end

  local client = vim.lsp.get_client_by_id(client_id)
  local uri = vim.uri_from_bufnr(buf)

  -- Hover on SUBSTRING (line 32, column 32 counted from 1).
  local hover = client.request_sync('textDocument/hover',
    { textDocument = { uri = uri }, position = { line = 31, character = 31 } }, 10000, buf)
  local value = hover and hover.result and hover.result.contents and hover.result.contents.value or ''
  check(value:find('SUBSTRING(text, start, length [, utf8])', 1, true) ~= nil, 'hover: ' .. value)

  -- Completion after "FIELD = 1, 1, 10, " in the extract program.
  vim.api.nvim_buf_set_lines(buf, 10, 10, false, { '    FIELD = 1, 1, 10, ' })
  local completion = client.request_sync('textDocument/completion',
    { textDocument = { uri = uri }, position = { line = 10, character = 22 } }, 10000, buf)
  local labels = {}
  local items = completion and completion.result or {}
  if items.items then items = items.items end
  for _, item in ipairs(items) do labels[item.label] = item.detail or '' end
  check(labels['amount'] ~= nil, 'completion offers the field amount')
  check(labels['SUBSTRING'] == 'SUBSTRING(text, start, length [, utf8])', 'completion offers SUBSTRING with its form')
  check(labels['BARCODE'] == nil, 'no statement keywords inside a statement')

  vim.lsp.stop_client(client_id)
end)
if not ok then table.insert(failures, 'error: ' .. tostring(err)) end
finish()
