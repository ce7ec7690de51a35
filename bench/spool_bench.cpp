// Streams a spool file through the reader page by page, as the extract programs
// would, and prints what it read and the process's peak resident memory.
//   spool_bench SPOOL [LINES_PER_PAGE [UTF8_MODE]]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "run.h"
#include "spool/spool_reader.h"
#include "values/identifiers.h"

namespace {

long peak_rss_kb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kb;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SPOOL [LINES_PER_PAGE [UTF8_MODE]]\n", argv[0]);
        return 2;
    }
    morvel::Run run;
    run.options.silent = true;
    run.options.log_file_name = "/dev/null";
    morvel::create_internal_variables(run);
    morvel::create_objects(run);
    int lines = argc > 2 ? std::atoi(argv[2]) : 66;
    run.options.utf8_mode = argc > 3 ? std::atoi(argv[3]) : 0;
    if (!morvel::open_spool(run, argv[1])) {
        std::perror(argv[1]);
        return 1;
    }
    long pages = 0;
    long last = -1;
    while (morvel::read_page(run, lines, 8) > 0) {
        ++pages;
        last = run.spool.page.last_offset;
        morvel::cut_text(run, 1, 1, 80);
        morvel::at_end_of_spool(run);
    }
    morvel::close_spool(run);
    std::printf("pages %ld bytes %ld peak_rss_kb %ld errors %d\n", pages, last + 1, peak_rss_kb(),
                run.MEMORY_ERROR);
    return 0;
}
