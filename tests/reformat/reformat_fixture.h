#pragma once
// Building reformat programs by hand and running them into a real output file.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "language/programs.h"
#include "run.h"
#include "test_support.h"

namespace morvel::test {

/// A literal operand value.
Value lit(const std::string& text);
/// A variable or field operand over a line cell.
Value ref(ValueKind kind, LineCell& cell);
/// The expression (+ "text").
std::unique_ptr<Expression> lit_expr(const std::string& text);

/// Options of a text statement.
struct TextOptions {
    bool inverse = false;
    HpFont* font = nullptr;
    std::optional<std::string> line_step;
    std::optional<FontOverride> font_override;
};

/// FIELD x, y, reference.
std::unique_ptr<Statement> field(int x, int y, Value reference, TextOptions o = {});
/// MESSAGE, DATE, PAGE or INCLUDE x, y, "text".
std::unique_ptr<Statement> text_st(Tok kind, int x, int y, const std::string& text,
                                   TextOptions o = {});
/// EJECT_PAGE.
std::unique_ptr<Statement> eject();
/// REPEAT [BY by] body [STARTS] [ENDS] [INCREASE_BY].
std::unique_ptr<Statement> repeat(std::optional<std::string> by, StatementList body,
                                  std::optional<std::string> increase_by = {},
                                  std::optional<std::string> starts = {},
                                  std::optional<std::string> ends = {});
/// A list of statements.
StatementList list(std::unique_ptr<Statement> a, std::unique_ptr<Statement> b = nullptr,
                   std::unique_ptr<Statement> c = nullptr);
/// An override that only aligns.
FontOverride aligned(Alignment a);

/// A text-kind program of width x height with the text defaults.
std::unique_ptr<ReformatProgram> text_program(int width, int height);
/// A printer-kind program with the printer defaults.
std::unique_ptr<ReformatProgram> printer_program();

/// A run with the internal variables and the default HP font, and one output file.
class ReformatFixture {
  public:
    ReformatFixture();
    ~ReformatFixture();
    CapturedRun c;
    Run& run = c.run;
    OutputProgram output;
    std::string path;
    std::FILE* file = nullptr;

    /// run_reformat into the output file.
    int run_program(ReformatProgram& program);
    /// The output file's bytes so far.
    std::string contents();
    /// Patches the total-page placeholders as closing the output does, then contents().
    std::string patched();
    /// Declares a reformat program identifier owning program (for reformat functions).
    ReformatProgram* declare_program(const std::string& name, std::unique_ptr<ReformatProgram> p);
    /// The text of a variable.
    std::string variable(const std::string& name);
};

}  // namespace morvel::test
