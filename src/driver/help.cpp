#include "driver/help.h"

#include <cstdio>

#include "run.h"

#ifndef MORVEL_VERSION
#define MORVEL_VERSION "unknown"
#endif

namespace morvel {

namespace {

constexpr const char* kHelp =
    "Turns spool files (text pages or XML) into PCL 5 printer jobs, text pages or XML,\n"
    "as a definition file directs.\n"
    "\n"
    "Options:\n"
    "  -a file         write the client data file instead of running the job\n"
    "  -b              name the log after the definition (jobs/a.def logs to jobs/a.log)\n"
    "  -d file         write the page index and return-code file; no output program runs\n"
    "  -e              mark the token file written by -t as execute-only\n"
    "  -g file         write a starter definition to file and stop\n"
    "  -h              print the short usage text and stop\n"
    "  -k number       the definition is scrambled with this key\n"
    "  -l file         log file (default morvel.log)\n"
    "  -m              the spool is XML (without testing it)\n"
    "  -n              disable DEBUG statements\n"
    "  -o name=text    replace the invocation of output program name (all: every one);\n"
    "                  @ in text stands for the output file\n"
    "  -p prefix       preview: copy output files to prefix... files instead of invoking\n"
    "  -q              stop with exit code 108 when the log cannot be created\n"
    "  -r              run output programs even after errors\n"
    "  -s              silent: messages go to the log only\n"
    "  -t file         compile the definition into this token file instead of running it\n"
    "  -u number       1: the spool is UTF-8; negative: detect it; 0: bytes\n"
    "  -v name=value   set a string variable of the definition\n"
    "  -w seconds      wait after each invocation before its files are deleted\n"
    "  -z mask         trace mask (1 programs, 2 pause after reformat programs, ...)\n"
    "  --strict-delivery\n"
    "                  every invocation is compulsory: a command that fails is an error\n"
    "  --help          print this text and stop\n"
    "  --version       print the version and stop\n"
    "  --check [--json] definition_file\n"
    "                  compile only; list every mistake as FILE:LINE:COLUMN: error: TEXT\n"
    "                  (or a JSON array on standard output); exit 0 clean, 1 with errors\n"
    "\n"
    "Exit codes:\n"
    "  0    the run finished without errors (also -h, --help, --version, -g written)\n"
    "  1    errors in the run or the definition; -g failed\n"
    "  2    the definition scanner stopped (a word too long, a read failure)\n"
    "  100  unknown option, missing option argument or missing file names\n"
    "  101  the definition cannot be opened or read\n"
    "  102  the internal variables could not be created\n"
    "  103  the spool file cannot be opened\n"
    "  104  the token file cannot be created\n"
    "  108  -q was given and the log file cannot be created\n"
    "\n"
    "Environment:\n"
    "  LANG        locale for dates and letter case (numbers always use \".\")\n"
    "  VAVIRIRODI  directory for temporary files and kept undelivered output\n"
    "  TMPDIR      the same when VAVIRIRODI is not set (else /tmp)\n";

}  // namespace

const char* morvel_version() {
    return MORVEL_VERSION;
}

void print_help(Run& run) {
    std::fprintf(run.out, "Usage: %s [options] definition_file spool_file\n\n",
                 run.options.program_path.c_str());
    std::fputs(kHelp, run.out);
    std::fflush(run.out);
}

void print_version(Run& run) {
    std::fprintf(run.out, "morvel %s\n", morvel_version());
    std::fflush(run.out);
}

}  // namespace morvel
