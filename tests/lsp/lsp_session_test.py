#!/usr/bin/env python3
"""Scripted JSON-RPC sessions with morvel-lsp, the real process on pipes.

Checks that the server answers every request exactly once and never crashes or hangs:
  - a normal session: diagnostics on open, change and save, completion, hover,
    definition, references, symbols, folding, shutdown and exit (exit code 0);
  - malformed messages: not JSON, no method, a header without Content-Length, a
    Content-Length that is no number, a body larger than the server takes; each gets
    an error answer and the next request is still answered;
  - a huge document (past the size the server analyses) and many requests in a row;
    the server's peak memory stays bounded;
  - a client that disappears in the middle of a message, and one that stops reading:
    the server ends by itself, without a signal.

Usage: lsp_session_test.py MORVEL_LSP SOURCE_DIR
"""
import json
import os
import select
import subprocess
import sys
import time

TIMEOUT = 30
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what, flush=True)


class Session:
    def __init__(self, binary):
        self.p = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.buf = b""

    def raw(self, data):
        self.p.stdin.write(data)
        self.p.stdin.flush()

    def send(self, obj):
        body = json.dumps(obj).encode()
        self.raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def request(self, rid, method, params=None):
        msg = {"jsonrpc": "2.0", "id": rid, "method": method}
        if params is not None:
            msg["params"] = params
        self.send(msg)

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def _fill(self, deadline):
        remaining = deadline - time.time()
        if remaining <= 0:
            raise TimeoutError("no answer in time")
        ready, _, _ = select.select([self.p.stdout], [], [], remaining)
        if not ready:
            raise TimeoutError("no answer in time")
        chunk = os.read(self.p.stdout.fileno(), 65536)
        if not chunk:
            raise EOFError("server closed its output")
        self.buf += chunk

    def recv(self):
        deadline = time.time() + TIMEOUT
        while b"\r\n\r\n" not in self.buf:
            self._fill(deadline)
        head, self.buf = self.buf.split(b"\r\n\r\n", 1)
        length = None
        for line in head.split(b"\r\n"):
            if line.lower().startswith(b"content-length:"):
                length = int(line.split(b":", 1)[1])
        while len(self.buf) < length:
            self._fill(deadline)
        body, self.buf = self.buf[:length], self.buf[length:]
        return json.loads(body)

    def answer(self, rid):
        """The answer to request rid; notifications in between are kept aside."""
        while True:
            m = self.recv()
            if "id" in m and "method" not in m:
                check(m["id"] == rid, "answers come in order: wanted %r, got %r" % (rid, m["id"]))
                return m

    def diagnostics(self):
        while True:
            m = self.recv()
            if m.get("method") == "textDocument/publishDiagnostics":
                return m["params"]

    def wait(self):
        try:
            return self.p.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            self.p.kill()
            return "hung"

    def peak_kib(self):
        with open("/proc/%d/status" % self.p.pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        return 0


def initialise(s):
    s.request(1, "initialize", {"capabilities": {"general": {"positionEncodings": ["utf-8"]}}})
    r = s.answer(1)
    check(r["result"]["capabilities"]["positionEncoding"] == "utf-8", "utf-8 positions taken")
    s.notify("initialized", {})


def shut_down(s, request_id, what):
    """shutdown is answered with a result, and exit after it ends the server with 0."""
    s.request(request_id, "shutdown")
    check("result" in s.answer(request_id), what + ": shutdown answered")
    s.notify("exit", {})
    check(s.wait() == 0, what)


def normal_session(binary, text):
    s = Session(binary)
    initialise(s)
    uri = "file:///tmp/payslip.def"
    doc = {"uri": uri}
    broken = text.replace("    MESSAGE=150,230", "    MESAGE=150,230", 1)
    s.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "morvel",
                                                       "version": 1, "text": broken}})
    d = s.diagnostics()["diagnostics"]
    check(len(d) == 1 and d[0]["range"]["start"] == {"line": 29, "character": 4},
          "diagnostic on open at the misspelt word: %r" % d)
    check(d and d[0]["message"].startswith("MESAGE is not a setting"), "its text")
    s.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 2},
                                        "contentChanges": [{"text": text}]})
    check(s.diagnostics()["diagnostics"] == [], "diagnostics cleared on change")
    s.notify("textDocument/didSave", {"textDocument": doc, "text": broken})
    check(len(s.diagnostics()["diagnostics"]) == 1, "diagnostics on save")
    s.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 3},
                                        "contentChanges": [{"text": text}]})
    s.diagnostics()
    pos = lambda l, c: {"textDocument": doc, "position": {"line": l, "character": c}}
    s.request(2, "textDocument/completion", pos(8, 17))
    labels = [i["label"] for i in s.answer(2)["result"]["items"]]
    check("SUBSTRING" in labels and "amount" in labels, "completion offers functions and names")
    s.request(3, "textDocument/hover", pos(31, 32))
    h = s.answer(3)["result"]
    check(h and "SUBSTRING(text, start, length" in h["contents"]["value"], "hover on a function")
    s.request(4, "textDocument/definition", pos(32, 33))
    r = s.answer(4)["result"]
    check(r and r["range"]["start"] == {"line": 8, "character": 17}, "definition of a field")
    s.request(5, "textDocument/references", dict(pos(8, 18), context={"includeDeclaration": True}))
    check(len(s.answer(5)["result"]) == 3, "references of a field")
    s.request(6, "textDocument/documentSymbol", {"textDocument": doc})
    check([x["name"] for x in s.answer(6)["result"]] ==
          ["[INPUT]", "[EXTRACT]", "[OUTPUT]", "[REFORMAT]"], "document symbols")
    s.request(7, "textDocument/foldingRange", {"textDocument": doc})
    check(len(s.answer(7)["result"]) >= 5, "folding ranges")
    s.request(8, "textDocument/hover", {"textDocument": {"uri": "file:///none"},
                                        "position": {"line": 0, "character": 0}})
    check(s.answer(8).get("result", "x") is None, "a document never opened: null")
    shut_down(s, 9, "exit after shutdown gives 0")


def malformed_session(binary):
    s = Session(binary)
    initialise(s)
    s.raw(b"Content-Length: 5\r\n\r\n{oops")
    check(s.recv()["error"]["code"] == -32700, "not JSON: parse error")
    s.send({"jsonrpc": "2.0", "id": 11})
    r = s.recv()
    check(r["error"]["code"] == -32600 and r["id"] == 11, "no method: invalid request")
    s.raw(b"Content-Type: x\r\n\r\n")
    check(s.recv()["error"]["code"] == -32700, "no Content-Length: an error")
    s.raw(b"Content-Length: many\r\n\r\n")
    check(s.recv()["error"]["code"] == -32700, "Content-Length not a number: an error")
    big = 33 * 1024 * 1024
    s.raw(b"Content-Length: %d\r\n\r\n" % big)
    chunk = b" " * (1024 * 1024)
    for _ in range(33):
        s.raw(chunk)
    check(s.recv()["error"]["code"] == -32600, "a body too large: an error")
    s.request(12, "textDocument/hover", {"textDocument": {"uri": 5}})
    check(s.answer(12)["error"]["code"] == -32602, "wrong parameter types: invalid params")
    s.request(13, "no/such/method")
    check(s.answer(13)["error"]["code"] == -32601, "unknown method")
    shut_down(s, 14, "malformed session ends cleanly")


def huge_session(binary, text):
    s = Session(binary)
    initialise(s)
    uri = "file:///tmp/huge.def"
    huge = text + ("; " + "x" * 98 + "\n") * (90 * 1024)  # about 9 MB
    s.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "morvel",
                                                       "version": 1, "text": huge}})
    d = s.diagnostics()["diagnostics"]
    check(len(d) == 1 and "larger than" in d[0]["message"], "a huge document is refused: %r" % d)
    for i in range(200):
        s.request(100 + i, "textDocument/hover", {"textDocument": {"uri": uri},
                                                  "position": {"line": 3, "character": 5}})
    for i in range(200):
        s.answer(100 + i)
    peak = s.peak_kib()
    check(peak < 400 * 1024, "peak memory bounded: %d KiB" % peak)
    shut_down(s, 2, "huge session ends cleanly")


def vanishing_clients(binary):
    s = Session(binary)
    initialise(s)
    s.raw(b"Content-Length: 100\r\n\r\n{\"jsonrpc\"")
    s.p.stdin.close()
    code = s.wait()
    check(code == 1, "client gone in the middle of a message: ends with 1, got %r" % code)

    s = Session(binary)
    initialise(s)
    s.p.stdout.close()  # stops reading answers
    for i in range(50):
        s.request(200 + i, "textDocument/completion", {"textDocument": {"uri": "file:///x"},
                                                       "position": {"line": 0, "character": 0}})
    s.p.stdin.close()
    code = s.wait()
    check(code in (0, 1), "client that stops reading: no crash, got %r" % code)


def main():
    binary, source = sys.argv[1], sys.argv[2]
    with open(os.path.join(source, "tests/language/data/check_payslip.def")) as f:
        text = f.read()
    for step in (lambda: normal_session(binary, text), lambda: malformed_session(binary),
                 lambda: huge_session(binary, text), lambda: vanishing_clients(binary)):
        try:
            step()
        except (TimeoutError, EOFError, BrokenPipeError) as e:
            check(False, "session broke off: %r" % e)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("all sessions answered")
    return 0


if __name__ == "__main__":
    sys.exit(main())
