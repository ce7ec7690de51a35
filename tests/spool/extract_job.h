#pragma once
// A definition text compiled by the real compiler and run over a small spool, for
// the input and extract program tests.
#include <string>
#include <vector>

#include "language/compile.h"
#include "language/compile_support.h"
#include "language/programs.h"
#include "run.h"
#include "spool/input_program.h"
#include "spool/spool_reader.h"
#include "test_support.h"
#include "values/identifiers.h"

namespace morvel::test {

/// An output program with the given MASK statements.
inline std::string output_mask(const std::string& statements) {
    return "[OUTPUT] OUTPUT = out INVOCATION = \"true\" PARAMETERS = OUTPUT_FILE\n"
           "MASK = { " +
           statements + " }\n";
}

/// An output program whose MASK logs "out" and the given expression each time it runs.
inline std::string output_logging(const std::string& expression) {
    return output_mask("DEBUG \"out \" + " + expression);
}

/// Lines joined by line feeds, each ended by one.
inline std::string spool_lines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

class ExtractJob {
  public:
    /// Compiles `definition`; the spool is opened by start().
    explicit ExtractJob(const std::string& definition) {
        run().scanner.definition_path = c_.dir.write("test.def", definition);
        run().options.definition_name = "test.def";
        create_internal_variables(run());
        compiled_ = test::compile_sequence(run()) == 0 && !run().MEMORY_ERROR;
    }
    /// Opens `spool` and gives the internal variables their start values; the log
    /// read by messages() starts here.
    void start(const std::string& spool) {
        std::string path = c_.dir.write("spool.txt", spool);
        run().options.spool_name = path;
        initialise_internal_variables(run(), "spool.txt");
        open_spool(run(), path);
        log_start_ = c_.log().size();
    }
    /// start(spool), then the input program.
    int run_input(const std::string& spool) {
        start(spool);
        return run_input_program(run());
    }
    bool compiled() const { return compiled_; }
    Run& run() { return c_.run; }
    /// Messages logged since start().
    std::string messages() const { return c_.log().substr(log_start_); }
    /// The current text of a field or variable; "<null>" when absent, "<none>" unknown.
    std::string text(const char* name) {
        Identifier* id = lookup(run(), name);
        if (!id || !id->object) return "<none>";
        const LineCell* cell = nullptr;
        if (auto* f = id->as<FieldRecord>()) cell = &f->cell;
        if (auto* v = id->as<VariableRecord>()) cell = &v->cell;
        if (!cell) return "<none>";
        return cell->value ? *cell->value : "<null>";
    }
    FieldRecord& field(const char* name) { return *lookup(run(), name)->as<FieldRecord>(); }
    ExtractProgram* program(const char* name) { return lookup(run(), name)->as<ExtractProgram>(); }
    TempDir& dir() { return c_.dir; }

  private:
    CapturedRun c_;
    bool compiled_ = false;
    std::size_t log_start_ = 0;
};

}  // namespace morvel::test
