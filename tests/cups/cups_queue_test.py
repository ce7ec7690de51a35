#!/usr/bin/env python3
"""A print queue through a private print server.

Starts its own cupsd (configuration, port, spool, log and state under one scratch
folder; the system's configuration and filter folder are not touched), creates queues
with morvel.ppd and the morvel-cups filter, prints with lp and checks:
  - a text job arrives at the file: device as exactly the PCL that morvel writes for
    the same definition and spool, and lpstat -W completed lists it;
  - a job whose definition does not compile ends stopped or aborted, its message in the
    server's error_log, and the queue prints the next job;
  - jobs that name a definition outside the queue's definition folder (/tmp/...), their
    own document, or a definition the filter user lp can write are aborted with the
    reason in error_log, and nothing of the definition runs (its EXECUTE would leave a
    marker file); a queue that allows any definition still refuses the job's document;
  - a cancelled job leaves no scratch folder in the server's TempDir;
  - two copies arrive as the job's PCL twice;
  - ten jobs printed back to back arrive whole and in order (a socket: queue whose
    "printer" is a listener here, since a file: device keeps only the last job).
Skips (exit 77) when cupsd cannot be started here, e.g. when not root.

Usage: cups_queue_test.py MORVEL MORVEL_CUPS SOURCE_DIR
"""
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77
TIMEOUT = 60


def skip(reason):
    print(f"SKIP: {reason}")
    sys.exit(SKIP)


def fail(reason):
    raise AssertionError(reason)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(what, predicate, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.2)
    fail(f"timed out waiting for {what}")


class Listener:
    """A stand-in printer on a TCP port: keeps the bytes of each connection in order."""

    def __init__(self):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(16)
        self.port = self.sock.getsockname()[1]
        self.jobs = []
        self.lock = threading.Lock()
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            with conn:
                data = bytearray()
                while True:
                    chunk = conn.recv(65536)
                    if not chunk:
                        break
                    data += chunk
            if data:  # the backend may connect without sending (status probes)
                with self.lock:
                    self.jobs.append(bytes(data))

    def received(self):
        with self.lock:
            return list(self.jobs)

    def close(self):
        self.sock.close()


class PrintServer:
    def __init__(self, root, filter_binary):
        self.root = root
        self.port = free_port()
        self.etc = os.path.join(root, "etc")
        self.bin = os.path.join(root, "bin")
        self.log = os.path.join(root, "log")
        self.state = os.path.join(root, "run")
        spool = os.path.join(root, "spool")
        for d in (self.etc, os.path.join(self.etc, "ppd"), os.path.join(self.bin, "filter"),
                  self.log, self.state, os.path.join(root, "cache"), spool,
                  os.path.join(spool, "tmp")):
            os.makedirs(d, mode=0o755, exist_ok=True)
        # Filters are run as lp and must be root's and writable by nobody else.
        shutil.copy(filter_binary, os.path.join(self.bin, "filter", "morvel-cups"))
        os.chmod(os.path.join(self.bin, "filter", "morvel-cups"), 0o755)
        for sub in ("backend", "cgi-bin", "daemon", "monitor", "notifier"):
            os.symlink(os.path.join("/usr/lib/cups", sub), os.path.join(self.bin, sub))
        with open(os.path.join(self.etc, "cups-files.conf"), "w") as f:
            f.write(f"""ServerRoot {self.etc}
ServerBin {self.bin}
RequestRoot {spool}
TempDir {spool}/tmp
StateDir {self.state}
CacheDir {root}/cache
ServerKeychain {self.etc}/ssl
ErrorLog {self.log}/error_log
AccessLog {self.log}/access_log
PageLog {self.log}/page_log
Printcap {self.state}/printcap
FileDevice Yes
User lp
Group lp
SystemGroup root
""")
        with open(os.path.join(self.etc, "cupsd.conf"), "w") as f:
            f.write(f"""LogLevel debug
Listen 127.0.0.1:{self.port}
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
MaxJobs 100
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
""")
        self.env = dict(os.environ, CUPS_SERVER=f"127.0.0.1:{self.port}",
                        CUPS_ENCRYPTION="Never", LC_ALL="C")
        self.process = None

    def start(self):
        self.stderr_path = os.path.join(self.log, "cupsd.stderr")
        with open(self.stderr_path, "wb") as stderr:
            self.process = subprocess.Popen(
                ["cupsd", "-f", "-c", os.path.join(self.etc, "cupsd.conf"),
                 "-s", os.path.join(self.etc, "cups-files.conf")],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr,
                env=self.env)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                return False
            r = self.run(["lpstat", "-r"], check=False)
            if "is running" in r.stdout and "not" not in r.stdout:
                return True
            time.sleep(0.2)
        return False

    def stop(self):
        if self.process and self.process.poll() is None:
            os.kill(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                os.kill(self.process.pid, signal.SIGKILL)
                self.process.wait()

    def run(self, argv, check=True):
        r = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=TIMEOUT)
        if check and r.returncode != 0:
            fail(f"{' '.join(argv)} failed ({r.returncode}): {r.stdout}{r.stderr}")
        return r

    def error_log(self):
        try:
            with open(os.path.join(self.log, "error_log"), errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def spool_file(self, job):
        """The job's document as cupsd keeps it while the job runs."""
        return os.path.join(self.root, "spool", f"d{job:05d}-001")

    def temp_dir(self):
        return os.path.join(self.root, "spool", "tmp")

    def add_queue(self, name, uri, ppd, definition):
        self.run(["lpadmin", "-p", name, "-E", "-v", uri, "-P", ppd,
                  "-o", f"morvel-definition-default={definition}",
                  "-o", "printer-error-policy=abort-job"])

    def print_file(self, queue, path, *options):
        argv = ["lp", "-d", queue]
        for o in options:
            argv += ["-o", o]
        r = self.run(argv + [path])
        m = re.search(r"request id is \S+-(\d+)", r.stdout)
        if not m:
            fail(f"lp gave no job id: {r.stdout}")
        return int(m.group(1))

    def job_ended(self, job):
        return re.search(rf"\[Job {job}\] Job (completed|stopped|aborted|canceled)",
                         self.error_log()) is not None

    def job_end(self, job):
        wait_until(f"job {job} to end", lambda: self.job_ended(job))
        return re.search(rf"\[Job {job}\] Job (completed|stopped|aborted|canceled)",
                         self.error_log()).group(1)

    def completed_jobs(self, queue):
        r = self.run(["lpstat", "-W", "completed", "-o", queue], check=False)
        return r.stdout


def shlex_quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


def command_definition(command):
    """A definition that runs a command on the first page it composes."""
    return f"""[EXTRACT]
default_extract=
{{
    LINES_PER_PAGE = 3
    FIELD=1,1,20,customer
}}
[OUTPUT]
OUTPUT=out_a
INVOCATION="cat" PARAMETERS=OUTPUT_FILE
MASK=
{{
    page_a
    CALL EXECUTE("{command}")
}}

[REFORMAT]
REFORMAT=page_a, text
{{
    SETTINGS=
    {{
        PAGE_WIDTH=12
        PAGE_HEIGHT=1
    }}
    MESSAGE=0,0,,,"A " + customer
}}
"""


def morvel_output(morvel, definition, spool, scratch):
    """The PCL that morvel itself hands the definition's first output program's command."""
    target = os.path.join(scratch, "expected.pcl")
    if os.path.exists(target):
        os.remove(target)
    r = subprocess.run([morvel, "-s", "-l", os.path.join(scratch, "morvel.log"),
                        "-o", f"pcl_copy=cat @ >>'{target}'", "-o", "text_copy=true @",
                        definition, spool], cwd=scratch, capture_output=True)
    if r.returncode != 0:
        fail(f"morvel failed on {spool} ({r.returncode})")
    with open(target, "rb") as f:
        return f.read()


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    morvel, morvel_cups, source = (os.path.abspath(a) for a in sys.argv[1:])
    for tool in ("cupsd", "lpadmin", "lp", "lpstat", "cancel"):
        if not shutil.which(tool, path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin"):
            skip(f"{tool} is not installed (Debian packages cups, cups-client, cups-bsd)")
    os.environ["PATH"] = os.environ.get("PATH", "") + ":/usr/sbin:/sbin"
    if os.geteuid() != 0:
        skip("a private cupsd runs filters as lp only when started as root")

    root = tempfile.mkdtemp(prefix="morvel-cupsd-")
    os.chmod(root, 0o755)
    server = PrintServer(root, morvel_cups)
    listener = None
    failed = False
    try:
        if not server.start():
            with open(server.stderr_path, errors="replace") as f:
                err = f.read().strip()
            skip(f"cupsd could not be started: {err}{server.error_log()[-2000:]}")

        # The job's files, readable by lp, which the filter runs as; the queue's
        # definitions in a folder of root's that only root can write.
        jobs = os.path.join(root, "jobs")
        defs = os.path.join(root, "defs")
        opened = os.path.join(root, "open")  # anyone may write here, lp too
        for d in (jobs, defs):
            os.makedirs(d, mode=0o755)
        os.makedirs(opened)
        os.chmod(opened, 0o777)
        definition = os.path.join(defs, "invoice.def")
        shutil.copy(os.path.join(source, "examples", "invoice", "invoice.def"), definition)
        spool = os.path.join(jobs, "invoice.prn")
        shutil.copy(os.path.join(source, "examples", "invoice", "invoice.prn"), spool)
        bad = os.path.join(defs, "bad.def")
        with open(bad, "w") as f:
            f.write("[INPUT]\n{\n    REPEAT nowhere\n}\n")
        # A definition whose first page runs a command as the filter user.
        marker = os.path.join(opened, "evil-ran")
        evil_text = command_definition(f"touch {shlex_quote(marker)}")
        evil_dir = tempfile.mkdtemp(prefix="morvel-evil-", dir="/tmp")
        os.chmod(evil_dir, 0o755)
        evil = os.path.join(evil_dir, "evil.def")
        lp_owned = os.path.join(defs, "lp-owned.def")
        for path in (evil, lp_owned):
            with open(path, "w") as f:
                f.write(evil_text)
        shutil.chown(lp_owned, user="lp")
        started = os.path.join(opened, "slow-started")
        with open(os.path.join(defs, "slow.def"), "w") as f:
            f.write(command_definition(f"touch {shlex_quote(started)}; exec sleep 60"))
        for p in (definition, spool, bad, evil, lp_owned, os.path.join(defs, "slow.def")):
            os.chmod(p, 0o644)
        ppd = os.path.join(root, "morvel.ppd")
        unsafe_ppd = os.path.join(root, "unsafe.ppd")
        with open(os.path.join(source, "src", "cups", "morvel.ppd")) as f:
            ppd_text = f.read().replace('*MorvelDefinitionFolder: ""',
                                        f'*MorvelDefinitionFolder: "{defs}"')
        with open(ppd, "w") as f:
            f.write(ppd_text)
        with open(unsafe_ppd, "w") as f:
            f.write(ppd_text.replace("*MorvelUnsafeAnyDefinition: False",
                                     "*MorvelUnsafeAnyDefinition: True"))
        scratch = os.path.join(root, "expected")
        os.makedirs(scratch)

        # 1. A good job through the file: device.
        device = os.path.join(root, "device.pcl")
        server.add_queue("invoices", f"file:{device}", ppd, "invoice.def")
        expected = morvel_output(morvel, definition, spool, scratch)
        if len(expected) == 0:
            fail("morvel wrote no PCL for the example")
        job = server.print_file("invoices", spool)
        state = server.job_end(job)
        if state != "completed":
            fail(f"job {job} ended {state}:\n{server.error_log()[-3000:]}")
        with open(device, "rb") as f:
            got = f.read()
        if got != expected:
            fail(f"the device received {len(got)} bytes, morvel wrote {len(expected)}")
        if f"invoices-{job} " not in server.completed_jobs("invoices"):
            fail(f"lpstat -W completed does not list job {job}")
        print(f"good job {job}: {len(got)} bytes, identical to morvel's")

        # 2. A definition that does not compile: the job is aborted, its message logged.
        bad_job = server.print_file("invoices", spool, "morvel-definition=bad.def")
        state = server.job_end(bad_job)
        if state not in ("stopped", "aborted"):
            fail(f"bad job {bad_job} ended {state}")
        log = server.error_log()
        if not re.search(rf"\[Job {bad_job}\] Missing extract program at line \d+ of {bad}", log):
            fail(f"the error_log has no message of job {bad_job} naming the fault:\n{log[-3000:]}")
        if not re.search(rf"\[Job {bad_job}\] The job failed", log):
            fail(f"the error_log does not say job {bad_job} failed")
        print(f"bad job {bad_job}: {state}, message in error_log")

        # Jobs that name what they may not: each aborted, its reason in error_log, and
        # the evil definition's command never run. (cupsd writes ' as \' in its log.)
        plain = rf": a job names a definition by its file name in {re.escape(defs)}"
        last = bad_job
        refused = [
            ("invoices", f"morvel-definition={evil}",
             rf"Refusing the definition {re.escape(evil)}{plain}"),
            ("invoices", "morvel-definition=lp-owned.def",
             rf"Refusing the definition {re.escape(lp_owned)}: others than root and the "
             r"administrators can change it: it belongs to user \d+"),
            ("invoices", "morvel-definition=/dev/stdin",
             rf"Refusing the definition /dev/stdin{plain}"),
            # The job's own document, by the name cupsd gives it.
            ("invoices", "morvel-definition={document}",
             rf"Refusing the definition {{document}}{plain}"),
            ("anything", "morvel-definition={document}",
             r"Refusing the definition {document}: it is the job\\?'s own document"),
            ("anything", "morvel-definition=-g" + os.path.join(opened, "victim"),
             r"Refusing the definition -g\S+: a definition\\?'s name must not start with -"),
        ]
        server.add_queue("anything", f"file:{os.path.join(root, 'anything.pcl')}", unsafe_ppd,
                         "invoice.def")
        # The documents are the evil definition too.
        document_path = os.path.join(jobs, "evil-document.prn")
        with open(document_path, "w") as f:
            f.write(evil_text)
        os.chmod(document_path, 0o644)
        for queue, option, reason in refused:
            document = server.spool_file(last + 1)
            option = option.format(document=document)
            job = server.print_file(queue, document_path, option)
            if job != last + 1:
                fail(f"job {job} is not the job {last + 1} whose document was named")
            last = job
            state = server.job_end(job)
            if state not in ("stopped", "aborted"):
                fail(f"job {job} ({option}) ended {state}")
            pattern = rf"\[Job {job}\] " + reason.format(document=re.escape(document))
            if not re.search(pattern, server.error_log()):
                fail(f"the error_log has no reason for job {job} ({option}):\n"
                     f"{server.error_log()[-3000:]}")
            print(f"job {job} ({queue}, {option}): {state}, reason in error_log")
        if os.path.exists(marker) or os.path.exists(os.path.join(opened, "victim")):
            fail("a refused definition ran")
        shutil.rmtree(evil_dir)

        # 3. The queue still prints.
        os.remove(device)
        job = server.print_file("invoices", spool)
        state = server.job_end(job)
        with open(device, "rb") as f:
            if state != "completed" or f.read() != expected:
                fail(f"the job after the bad one ({job}) ended {state} or differs")
        print(f"next job {job}: completed, identical")

        # Copies are the filter's: the job's PCL once per copy.
        job = server.print_file("invoices", spool, "copies=2")
        state = server.job_end(job)
        with open(device, "rb") as f:
            if state != "completed" or f.read() != expected * 2:
                fail(f"two copies ({job}) ended {state} or differ from twice morvel's PCL")
        print(f"two copies {job}: completed, the PCL twice")

        # A cancelled job: the filter's scratch folder goes with it.
        before = set(os.listdir(server.temp_dir()))
        job = server.print_file("invoices", spool, "morvel-definition=slow.def")
        wait_until(f"job {job} to start", lambda: os.path.exists(started))
        if not [n for n in os.listdir(server.temp_dir()) if n.startswith("morvel-cups-")]:
            fail(f"job {job} runs without a scratch folder in {server.temp_dir()}")
        server.run(["cancel", f"invoices-{job}"])
        wait_until(f"cancelled job {job} to leave no scratch folder",
                   lambda: not [n for n in set(os.listdir(server.temp_dir())) - before
                                if n.startswith("morvel-cups-")], 20)
        print(f"cancelled job {job}: no scratch folder left")

        # 4. Ten jobs back to back, each a different invoice.
        listener = Listener()
        server.add_queue("stream", f"socket://127.0.0.1:{listener.port}", ppd, "invoice.def")
        with open(spool, "rb") as f:
            first_invoice = f.read().split(b"\f")[0] + b"\f"
        spools, expectations = [], []
        for k in range(10):
            path = os.path.join(jobs, f"invoice{k}.prn")
            with open(path, "wb") as f:
                f.write(first_invoice.replace(b"10231", b"%05d" % (40000 + k)))
            os.chmod(path, 0o644)
            spools.append(path)
            expectations.append(morvel_output(morvel, definition, path, scratch))
        ids = [server.print_file("stream", p) for p in spools]
        for job in ids:
            state = server.job_end(job)
            if state != "completed":
                fail(f"job {job} of the ten ended {state}")
        wait_until("ten jobs at the listener", lambda: len(listener.received()) >= 10, 10)
        received = listener.received()
        if received != expectations:
            order = [expectations.index(r) if r in expectations else None for r in received]
            fail(f"the listener received {len(received)} jobs in the order {order}")
        print("ten jobs: all complete and in order")
    except AssertionError:
        failed = True
        raise
    finally:
        server.stop()
        if listener:
            listener.close()
        if failed:
            print(f"kept {root} for inspection", file=sys.stderr)
        else:
            shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except AssertionError as e:
        print(f"FAIL: {e}", file=sys.stderr)
        sys.exit(1)
