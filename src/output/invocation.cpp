#include "output/invocation.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include "core/ascii.h"
#include "core/command_runner.h"
#include "core/messages.h"
#include "core/shell_quote.h"
#include "core/strfmt.h"
#include "language/programs.h"
#include "output/output_file.h"
#include "output/output_programs.h"
#include "output/undelivered.h"
#include "run.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A temporary file name on the command line: in double quotes like any value, with
// what the shell would read inside them escaped, since the temporary directory comes
// from the environment.
std::string quoted_file(const std::string& name) {
    return shell_quoted(name);
}

// A parameter's text on the command line. Literal text of the definition stays as
// written, pipes and redirections included. A variable's or field's value may come
// from the spool, so the shell must see it as data: QUOTED makes it one word, else
// it splits at blanks as an unquoted value always did.
std::string parameter_text(const InvocationParameter& p, std::string text) {
    if (p.value.kind == ValueKind::Literal) return p.quoted ? quoted(text) : text;
    return p.quoted ? shell_quoted(text) : shell_words(text);
}

// A leading "!" makes the invocation compulsory and is not part of the command.
bool take_compulsory_mark(std::string& text) {
    if (text.empty() || text.front() != '!') return false;
    text.erase(0, 1);
    return true;
}

// The file another output program hands to this command: it is finished now and
// deleted after the command. Empty when that program has no file.
std::string take_other_file(Run& run, InvocationCommand& c, OutputProgram& self,
                            OutputProgram& other) {
    std::string name = output_file_name(run, other);
    if (name.empty()) return name;
    close_output_file(run, other);
    if (&other != &self &&
        std::find(c.deletions.begin(), c.deletions.end(), &other) == c.deletions.end())
        c.deletions.push_back(&other);
    return name;
}

// -o: the override text with every "@" standing for the quoted output file name.
void build_override(Run& run, InvocationCommand& c, const OutputProgram& output, std::string text) {
    c.compulsory = take_compulsory_mark(text);
    c.without_output_file = text.find('@') == std::string::npos;
    const std::string file = quoted_file(output_file_name(run, output));
    std::string expanded;
    for (char ch : text) {
        if (ch == '@')
            expanded += file;
        else
            expanded += ch;
    }
    copy_bounded(run, c.text, expanded, kCommandLineSize);
}

// The directory of the program as started, with its final "/": gl_stamp lives there.
std::string program_directory(const Run& run) {
    const std::string& path = run.options.program_path;
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// "!!fastmark": the stamping tool reads the output file and writes the stamped copy to
// the target that the second parameter names.
void build_stamping(Run& run, InvocationCommand& c, OutputProgram& output) {
    const auto& params = output.invocation.parameters;
    if (params.empty() || params[0].kind != InvocationParameter::Kind::OutputFile ||
        (params[0].other && params[0].other != &output)) {
        report_error(run, 0, "OUTPUT_FILE must be first parameter in for fastmark in output %s",
                     output.name.c_str());
        return;
    }
    std::string target;
    if (params.size() >= 2) {
        const InvocationParameter& p = params[1];
        if (p.kind == InvocationParameter::Kind::OutputFile) {
            // Temporary names are quoted as in every other command: the temporary
            // directory may hold blanks.
            std::string name =
                p.other ? take_other_file(run, c, output, *p.other) : output_file_name(run, output);
            if (!name.empty()) target = quoted_file(name);
        } else {
            Text text = whole_text(run, p.value);
            if (!text) {
                report_error(run, 0, "Unable to decode an invoke parameter");
                return;
            }
            target = parameter_text(p, std::move(*text));
        }
    }
    if (target.empty()) {
        report_error(run, 0, "Missing target file for fastmark in output %s", output.name.c_str());
        return;
    }
    std::string command =
        strfmt("%sgl_stamp %s < %s > %s", program_directory(run).c_str(), "",
               quoted_file(output_file_name(run, output)).c_str(), target.c_str());
    copy_bounded(run, c.text, command, kCommandLineSize);
}

// Each parameter after one space. A parameter that does not fit abandons the whole
// command: running it with an argument missing could print or send the wrong thing.
void append_parameters(Run& run, InvocationCommand& c, OutputProgram& output) {
    for (const InvocationParameter& p : output.invocation.parameters) {
        std::string piece;
        if (p.kind == InvocationParameter::Kind::OutputFile) {
            std::string name =
                p.other ? take_other_file(run, c, output, *p.other) : output_file_name(run, output);
            if (p.other && name.empty()) continue;
            piece = quoted_file(name);
        } else {
            Text text = whole_text(run, p.value);
            if (!text) {
                report_error(run, 0, "Unable to decode an invoke parameter");
                continue;
            }
            piece = parameter_text(p, std::move(*text));
        }
        if (!append_bounded(run, c.text, " " + piece, kCommandLineSize)) {
            c.text.clear();
            return;
        }
    }
}

}  // namespace

InvocationCommand build_invocation_command(Run& run, OutputProgram& output) {
    InvocationCommand c;
    const Invocation& inv = output.invocation;
    if (inv.override_text) {
        build_override(run, c, output, *inv.override_text);
        return c;
    }
    Text program = whole_text(run, inv.program);
    if (!program) {
        report_error(run, 0, "Tried to invoke a NULL program");
        c.no_program = true;
        return c;
    }
    c.compulsory = take_compulsory_mark(*program);
    // An empty invocation runs nothing, whatever parameters are listed.
    if (program->empty()) return c;
    if (equal_ignore_case(*program, "!fastmark")) {
        build_stamping(run, c, output);
        return c;
    }
    if (!copy_bounded(run, c.text, program, kCommandLineSize)) return c;
    append_parameters(run, c, output);
    return c;
}

void invoke(Run& run, OutputProgram& output) {
    if (!output_file(run, output)) return;
    // A file that is not the whole job is never delivered: it is kept, and the run fails.
    if (!close_output_file(run, output)) {
        keep_unfinished_output(run, output, {});
        return;
    }
    if (run.MEMORY_ERROR && !run.options.run_after_errors) {
        delete_output_file(run, output);
        report_info(run, "Output program was not run due to previous errors");
        return;
    }
    if (run.options.preview) {
        make_preview_copy(run, output);
        delete_output_file(run, output);
        return;
    }
    InvocationCommand c = build_invocation_command(run, output);
    if (std::any_of(c.deletions.begin(), c.deletions.end(), [&run](const OutputProgram* other) {
            return output_file_failed(run, *other);
        })) {
        keep_unfinished_output(run, output, c.deletions);
        return;
    }
    if (!c.no_program) {
        int status = kEmptyCommandStatus;
        if (!c.text.empty()) {
            errno = 0;
            status = run_command(run, c.text);
            if (status == -1) {
                int error = errno;
                report_error(run, 0, "System(%s) returned error %d:%s", c.text.c_str(), error,
                             std::strerror(error));
            }
        }
        // With strict delivery every command is compulsory; an empty invocation still
        // runs nothing on purpose.
        bool compulsory = c.compulsory || (run.options.strict_delivery && !c.text.empty());
        if (compulsory && status != 0)
            report_error(run, 0, "Invocation (%s) in output %s was compulsory but returned %d",
                         c.text.c_str(), output.name.c_str(), status);
        set_integer_variable(run, Internal::ExecuteStatus, status);
        if (run.options.invoke_wait_seconds > 0)
            std::this_thread::sleep_for(std::chrono::seconds(run.options.invoke_wait_seconds));
        // A command that failed delivered nothing: what it was given stays for another try.
        if (!c.text.empty() && status != 0) keep_undelivered_output(run, output, c, status);
    }
    for (auto it = c.deletions.rbegin(); it != c.deletions.rend(); ++it)
        delete_output_file(run, **it);
    delete_output_file(run, output);
}

}  // namespace morvel
