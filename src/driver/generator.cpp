#include "driver/generator.h"

#include <cstdio>
#include <string>

#include "core/ascii.h"
#include "core/messages.h"
#include "run.h"

namespace morvel {

namespace {

// Reads one answer line of at most 250 characters; false at the end of input.
bool read_answer(std::FILE* in, std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(in)) != EOF) {
        line += static_cast<char>(c);
        if (c == '\n' || line.size() >= 250) return true;
    }
    return !line.empty();
}

}  // namespace

int write_default_definition(Run& run, const std::string& file_name) {
    std::FILE* f = std::fopen(file_name.c_str(), "w");
    if (!f) {
        report_error(run, 2, "Unable to open default definition file %s", file_name.c_str());
        return 1;
    }
    bool landscape = false;
    for (;;) {
        std::fputs("Orientation (return for portrait):", run.out);
        std::fflush(run.out);
        std::string answer;
        if (!read_answer(run.in, answer)) {
            std::fclose(f);
            return 1;
        }
        if (answer == "\n" || equal_ignore_case(answer, "portrait\n")) break;
        if (equal_ignore_case(answer, "landscape\n")) {
            landscape = true;
            break;
        }
    }
    const char* lines[] = {
        "[INPUT]",
        "{",
        "\tREPEAT my_extract",
        "}",
        "",
        "[EXTRACT]",
        "my_extract=",
        "{",
        landscape ? "\tLINES_PER_PAGE = 48" : "\tLINES_PER_PAGE = 66",
        landscape ? "\tREPEAT FIELD=1,1,132,full_line" : "\tREPEAT FIELD=1,1,80,full_line",
        "}",
        "",
        "[OUTPUT]",
        "OUTPUT=my_output",
        "INVOCATION=\"start /max /wait glimt\" PARAMETERS=",
        "{",
        "\tOUTPUT_FILE",
        "}",
        "MASK=",
        "{",
        "\tmy_reformat",
        "}",
        "",
        "[REFORMAT]",
        "REFORMAT=my_reformat, hp",
        "{",
        "\tSETTINGS=",
        "\t{",
        "\t\tCHARACTER_WIDTH=30",
        "\t\tLINE_HEIGHT=50",
        landscape ? "\t\tORIENTATION=LANDSCAPE" : "\t\tORIENTATION=PORTRAIT",
        "\t\tHP_FONT=default_hp_font,0,courier,10,NORMAL",
        "\t}",
        "\tREPEAT FIELD=1C,1R,,,full_line",
        "}",
    };
    for (const char* line : lines) std::fprintf(f, "%s\n", line);
    bool ok = std::fclose(f) == 0;
    return ok ? 0 : 1;
}

}  // namespace morvel
