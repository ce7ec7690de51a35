#pragma once
// Run state shared by the statements of the running reformat program (a member of
// Run). Reformat programs never run concurrently; a reformat function call runs inside
// its caller and saves what it replaces.
#include <array>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "reformat/output_page.h"
#include "values/text.h"

namespace morvel {

struct HpFont;

struct ReformatProgram;
struct OutputProgram;
class PclOut;

/// A printer font command already formatted, by the resolved values it was made from.
struct FontCommand {
    bool proportional = false;
    double size = 0;
    long effects = 0;
    long boldness = 0;
    long typeface = 0;
    bool underline = false;
    std::string command;  ///< the font and the underline command
    /// Fonts whose values are all numbers written in the definition and that were
    /// found to give this command: they are selected again without reading their
    /// values. Several fonts may have the same values (a font and the default font).
    std::array<const HpFont*, 4> literal_fonts{};
    std::size_t literal_fonts_next = 0;
};

struct ReformatState {
    ReformatProgram* program = nullptr;  ///< the program being run (stays after the run)
    OutputProgram* output = nullptr;     ///< the output program it writes for
    PclOut* out = nullptr;               ///< the current output file; none outside a run
    OutputPage page;                     ///< text kinds: the page being composed

    /// The base y and advance of the running program's top-level statement list;
    /// reformat functions place their text with them.
    int* top_base_y = nullptr;
    double* top_advance = nullptr;

    /// Nesting of reformat function calls, bounded so a function that calls itself
    /// cannot exhaust the stack.
    int function_depth = 0;
    /// Parameter slots of the reformat function being called (0 its result, 1-9 its
    /// arguments); PARAMETER(n) reads them.
    std::array<Text, 10> parameters;
    /// Nesting depth of reformat REPEAT loops; line-wise reads stop restarting inside one.
    int repeat_depth = 0;

    /// Every placed text selects its font and then the default font again; formatting
    /// the point size dominates that, and a job uses few fonts, so the last commands
    /// are kept (replaced round-robin).
    std::array<FontCommand, 8> font_commands;
    std::size_t font_commands_used = 0;
    std::size_t font_commands_next = 0;

    /// The output file that holds the downloaded fill patterns since its last page
    /// set-up; none until a box needs them.
    std::FILE* patterns_file = nullptr;
    /// The output file last seen holding something, so that its set-up is known done
    /// without asking the system for the position on every page. A new stream that
    /// reuses the pointer clears it (create_output_file).
    std::FILE* written_file = nullptr;

    /// A character of a UTF-8 spool had no place in the page's symbol set (warned once).
    bool unmappable_warned = false;

    /// The mapped copy of the text being placed and its total-page marks, kept so that
    /// placing a line allocates nothing.
    std::string placed_text;
    std::vector<std::size_t> placed_marks;
    /// The line a FIELD statement places, reused likewise.
    std::string field_line;
};

}  // namespace morvel
