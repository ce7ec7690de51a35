#pragma once
// A run with internal variables, temporary files in a scratch directory and a command
// runner that records command lines, plus builders of output programs.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "language/programs.h"
#include "output/output_file.h"
#include "test_support.h"
#include "values/identifiers.h"
#include "values/tree_builders.h"

namespace morvel::test {

/// OUTPUT_FILE, or OUTPUT_FILE(other).
inline InvocationParameter file_param(OutputProgram* other = nullptr) {
    InvocationParameter p;
    p.kind = InvocationParameter::Kind::OutputFile;
    p.other = other;
    return p;
}

/// A literal parameter, optionally QUOTED.
inline InvocationParameter text_param(std::string text, bool quoted = false) {
    InvocationParameter p;
    p.quoted = quoted;
    p.value = literal_value(std::move(text));
    return p;
}

class OutputTest : public ::testing::Test {
  protected:
    CapturedRun cr;
    morvel::Run& run = cr.run;
    std::vector<std::string> commands;
    std::vector<std::unique_ptr<OutputProgram>> programs;

    void SetUp() override {
        run.options.temp_dir = cr.dir.path().string();
        run.options.has_temp_dir = true;
        ASSERT_EQ(create_internal_variables(run), 0);
        ASSERT_TRUE(create_objects(run));
        command_status(0);
    }

    /// The status every later command returns.
    void command_status(int status) {
        run.command_runner = std::make_unique<FakeCommandRunner>(&commands, status);
    }

    /// A new output program, numbered in order of creation and listed in the tree.
    OutputProgram& output(const std::string& name, const std::string& invocation,
                          std::vector<InvocationParameter> params = {}) {
        auto p = std::make_unique<OutputProgram>();
        p->name = name;
        p->sequence = static_cast<int>(programs.size());
        p->invocation.program = literal_value(invocation);
        p->invocation.parameters = std::move(params);
        programs.push_back(std::move(p));
        run.tree.outputs.push_back(programs.back().get());
        return *programs.back();
    }

    /// Creates the program's temporary file with some bytes in it; its name.
    std::string open_with(OutputProgram& p, const std::string& bytes) {
        EXPECT_EQ(create_output_file(run, p), 0);
        std::FILE* f = output_file(run, p);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        return output_file_name(run, p);
    }

    /// Temporary files left in the scratch directory.
    std::vector<std::string> temp_files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(cr.dir.path())) {
            std::string n = e.path().filename().string();
            if (n.rfind("mrv", 0) == 0) names.push_back(n);
        }
        return names;
    }

    long execute_status() { return get_integer_variable(run, "execute_status"); }

    static std::string q(const std::string& s) { return "\"" + s + "\""; }
};

}  // namespace morvel::test
