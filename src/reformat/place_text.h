#pragma once
// Putting text on the page: the one routine through which FIELD, MESSAGE, DATE and PAGE
// place their text, for every reformat kind.
#include <cstddef>
#include <span>
#include <string_view>

#include "language/font.h"
#include "values/text.h"

namespace morvel {

struct Run;
class PclOut;

/// Moves the PCL cursor ("\e*p%dx%dY") and records the point in last_x and last_y.
void set_cursor(Run& run, PclOut& out, int x, int y);

/// Printer kind: records the current file offset as a total-page placeholder of the
/// running output and writes the four spaces the total later replaces.
void write_placeholder(Run& run, PclOut& out);

/// Writes text, except that the two bytes "%t" at each offset of marks (ascending) are
/// replaced by a total-page placeholder.
void write_marked(Run& run, PclOut& out, std::string_view text, std::span<const std::size_t> marks);

/// Places one line of text at (x, y) with the program's mapping and shifts applied.
/// With placeholders, each "%t" in the text stands for the total page count: four blanks
/// patched later (printer kind) or "****" on the page (text kinds). 0 or -1.
int place_text(Run& run, int x, int y, std::string_view text, bool inverse, const HpFont* font,
               const FontOverride* override_, bool with_placeholders);

/// Places line k of text (split at LF) at y + k x line_step; y is carried as a real and
/// truncated per line. 0, or -1 when a line could not be placed.
int place_lines(Run& run, int x, double y, std::string_view text, bool inverse, const HpFont* font,
                const FontOverride* override_, double line_step, bool with_placeholders);

/// v saturated to the range of int.
int clamp_to_int(long v);

/// Lines of a text as the advance counts them: 0 for none, else 1 + its line feeds.
long text_lines(const Text* text);

}  // namespace morvel
