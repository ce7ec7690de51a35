#pragma once
// Compiling definition texts end to end in tests: scanner, pass 1, the checks between
// the passes, pass 2.
#include <sstream>
#include <string>

#include "driver/run.h"
#include "language/compile.h"
#include "language/programs.h"
#include "test_support.h"
#include "values/identifiers.h"

namespace morvel::test {

/// A captured run that compiles one definition text.
struct Compiled {
    CapturedRun c;
    int result = 0;

    explicit Compiled(const std::string& text) {
        c.run.scanner.definition_path = c.dir.write("test.def", text);
        c.run.options.definition_name = "test.def";
        create_internal_variables(c.run);
        result = compile_definition(c.run);
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
