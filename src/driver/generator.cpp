#include "driver/generator.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/ascii.h"
#include "core/messages.h"
#include "run.h"

namespace morvel {

namespace {

// The longest string the definition scanner takes; a longer invocation would not compile.
constexpr std::size_t kMaxInvocationText = 240;

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

bool at_end_of_input(std::FILE* in) {
    int c = std::fgetc(in);
    if (c == EOF) return true;
    std::ungetc(c, in);
    return false;
}

// One argument for /bin/sh: single quotes, with each ' written as '\''.
std::string shell_quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// The text between the quotes of a definition string: \ and " are escaped.
std::string definition_string(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

// The output name with the definition's directory made absolute, so the job finds it
// from whatever directory it is run; the name as given when that cannot be had.
std::string absolute_output_name(const std::string& definition_file) {
    std::string name = starter_output_name(definition_file);
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::canonical(
        std::filesystem::absolute(definition_file, ec).parent_path(), ec);
    if (ec) return name;
    return (dir / std::filesystem::path(name).filename()).string();
}

// The invocation line, fitted to what a definition string holds.
std::string invocation_for(const std::string& definition_file) {
#ifdef __linux__
    std::string text = definition_string(starter_invocation(absolute_output_name(definition_file)));
    if (text.size() > kMaxInvocationText)
        text = definition_string(starter_invocation(starter_output_name(definition_file)));
    if (text.size() <= kMaxInvocationText) return text;
#else
    (void)definition_file;
#endif
    return "start /max /wait glimt";
}

// Renames a plain file (never a device, a pipe or a link's target) to backup; false when
// there is none or it cannot be renamed (it is then overwritten, as before).
bool keep_as_backup(const std::string& file_name, const std::string& backup) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file_name, ec)))
        return false;
    std::filesystem::rename(file_name, backup, ec);
    return !ec;
}

}  // namespace

std::string starter_output_name(const std::string& definition_file) {
    std::size_t slash = definition_file.rfind('/');
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = definition_file.rfind('.');
    if (dot == std::string::npos || dot <= base) dot = definition_file.size();
    return definition_file.substr(0, dot) + ".pcl";
}

std::string starter_invocation(const std::string& output_name) {
    // The command gets the output file as its last word; the redirection may stand first.
    return "cat > " + shell_quoted(output_name);
}

char orientation_answer(const std::string& line) {
    std::string word = line;
    if (!word.empty() && word.back() == '\n') word.pop_back();
    if (!word.empty() && word.back() == '\r') word.pop_back();
    if (word.empty() || equal_ignore_case(word, "portrait") || equal_ignore_case(word, "p"))
        return 'p';
    if (equal_ignore_case(word, "landscape") || equal_ignore_case(word, "l")) return 'l';
    return 0;
}

int write_default_definition(Run& run, const std::string& file_name) {
    // An existing definition (a plain file, perhaps edited) is kept as NAME~ first.
    const std::string backup = file_name + "~";
    const bool kept = keep_as_backup(file_name, backup);
    auto restore = [&] {
        std::error_code ec;
        if (kept) std::filesystem::rename(backup, file_name, ec);
    };
    std::FILE* f = std::fopen(file_name.c_str(), "w");
    if (!f) {
        report_error(run, 2, "Unable to open default definition file %s", file_name.c_str());
        restore();
        return 1;
    }
    // A job controller or a script has no one to answer: portrait, without asking.
    const bool terminal = isatty(fileno(run.in)) != 0;
    const bool ask = terminal || !at_end_of_input(run.in);
    bool landscape = false;
    while (ask) {
        std::fputs("Orientation (return for portrait):", run.out);
        std::fflush(run.out);
        std::string answer;
        if (!read_answer(run.in, answer)) {
            if (!terminal) break;
            std::fclose(f);
            restore();
            return 1;
        }
        char chosen = orientation_answer(answer);
        if (chosen == 'p') break;
        if (chosen == 'l') {
            landscape = true;
            break;
        }
    }
    const std::string invocation = "INVOCATION=\"" + invocation_for(file_name) + "\" PARAMETERS=";
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
        invocation.c_str(),
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
    if (ok)
        std::fprintf(run.out, "%sWrote %s (%s pages); its jobs write their pages to %s\n",
                     ask && !terminal ? "\n" : "", file_name.c_str(),
                     landscape ? "landscape" : "portrait", starter_output_name(file_name).c_str());
    if (ok && kept)
        std::fprintf(run.out, "The earlier %s is kept as %s\n", file_name.c_str(), backup.c_str());
    return ok ? 0 : 1;
}

}  // namespace morvel
