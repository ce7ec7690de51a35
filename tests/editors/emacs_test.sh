#!/bin/sh
# The Emacs mode byte-compiles without a warning, and its flymake backend reads
# morvel --check messages into diagnostics. Exits 77 (skipped) without emacs, which
# the test dependencies leave out for its size.
set -u
src=$1
if ! command -v emacs >/dev/null 2>&1; then
    echo "SKIPPED: emacs is not installed"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src/editors/emacs/morvel-mode.el" "$work/"
cd "$work" || exit 1
emacs --batch -Q -L . --eval '(setq byte-compile-error-on-warn t)' \
    -f batch-byte-compile morvel-mode.el || exit 1
cp "$src/tests/editors/every_token.test.mdef" payslip.def
mkdir bin
cat >bin/morvel <<'STUB'
#!/bin/sh
[ "$1" = "--check" ] || exit 2
echo "$2:12:5: error: MESAGE is not a setting or statement known here" >&2
exit 1
STUB
chmod +x bin/morvel
emacs --batch -Q -L . -l morvel-mode --eval '
(progn
  (find-file "payslip.def")
  (unless (eq major-mode (quote morvel-mode)) (error "payslip.def is in %s" major-mode))
  (let* ((file (expand-file-name "payslip.def"))
         (found (morvel--diagnostics
                 (current-buffer)
                 (concat file ":12:5: error: MESAGE is not known here\n"
                         file ":12:1: note: Missing }\n"
                         "other.inc:1:1: error: not this file\n")
                 file)))
    (unless (= (length found) 2) (error "%d diagnostics" (length found)))
    (unless (eq (flymake-diagnostic-type (car found)) :error) (error "not an error"))
    (unless (equal (flymake-diagnostic-text (car found)) "MESAGE is not known here")
      (error "text %S" (flymake-diagnostic-text (car found))))
    ;; The backend itself, with a stand-in for morvel --check on PATH.
    (let ((morvel-program (expand-file-name "bin/morvel")) (got (quote none)))
      (morvel-flymake (lambda (diagnostics &rest _) (setq got diagnostics)))
      (with-timeout (30 (error "no report from the check"))
        (while (eq got (quote none)) (accept-process-output nil 0.1)))
      (unless (= (length got) 1) (error "backend: %S" got))
      (unless (null (directory-files "." nil "^\\.morvel-check-"))
        (error "the scratch copy was left behind")))
    (message "PASS: emacs")))' || exit 1
