#pragma once
// Compiling definition texts end to end in tests: scanner, pass 1, the checks between
// the passes, pass 2.
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "language/compile.h"
#include "language/programs.h"
#include "language/scanner.h"
#include "run.h"
#include "test_support.h"
#include "values/identifiers.h"

namespace morvel::test {

/// The compile steps of the run sequence: pass 1, the checks, pass 2. Returns the last
/// pass's result.
inline int compile_sequence(Run& run) {
    int result = compile_pass(run, 1);
    if (result == 0 && !run.MEMORY_ERROR && prepare_identifiers(run)) result = compile_pass(run, 2);
    scanner_finish(run);
    return result;
}

/// A captured run that compiles one definition text.
struct Compiled {
    CapturedRun c;
    int result = 0;

    explicit Compiled(const std::string& text) : Compiled(text, {}) {}

    /// Also writes `files` (name, text) next to the definition; "@DIR@" in any text
    /// stands for that directory, so #include and #uses lines can name them.
    Compiled(const std::string& text,
             const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [name, body] : files) c.dir.write(name, in_dir(body));
        c.run.scanner.definition_path = c.dir.write("test.def", in_dir(text));
        c.run.options.definition_name = "test.def";
        create_internal_variables(c.run);
        result = compile_sequence(c.run);
    }
    std::string in_dir(std::string text) const {
        const std::string dir = c.dir.path().string();
        for (std::size_t at; (at = text.find("@DIR@")) != std::string::npos;)
            text.replace(at, 5, dir);
        return text;
    }
    /// Compiled without any message and without failure.
    bool ok() const { return result == 0 && c.run.MEMORY_ERROR == 0; }
    Run& run() { return c.run; }
    ProgramTree& tree() { return c.run.tree; }
    /// The log without the progress lines of the compile.
    std::string messages() const {
        std::istringstream in(c.log());
        std::string line, out;
        while (std::getline(in, line)) {
            if (line.rfind("about to parse ", 0) == 0 || line == "Created id structures" ||
                line.empty())
                continue;
            out += line + "\n";
        }
        return out;
    }
};

/// The smallest definition sections that compile, for wrapping a piece under test.
inline const char* kMinimalOutput =
    "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = { INVOKE }\n";

}  // namespace morvel::test
