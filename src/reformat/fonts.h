#pragma once
// PCL font selection for left-aligned text, and the HP-GL/2 label commands that set
// centred and right-aligned text (and watermarks).
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "language/font.h"
#include "values/text.h"

namespace morvel {

struct Run;
struct ReformatProgram;
class PclOut;

/// The font values a text is set in once a font and an override are combined.
struct ResolvedFont {
    bool proportional = false;
    double size = 10.0;
    long effects = 0;   ///< style
    long boldness = 0;  ///< stroke weight
    long typeface = 4099;
    bool underline = false;
    int colour = 0;  ///< palette index: the override's when given, else the font's
};

/// The identifier default_hp_font's font, or nullptr when there is none.
HpFont* default_hp_font(Run& run);
/// Combines a font (none: fixed pitch 10, typeface 4099) with an override (may be none).
ResolvedFont resolve_font(Run& run, const HpFont* font, const FontOverride* override_);

/// Writes the PCL font selection; without a font the default font is changed by the
/// override.
void select_font(Run& run, PclOut& out, const HpFont* font, const FontOverride* override_);
/// select_font(default font, none) when the default font exists.
void select_default_font(Run& run, PclOut& out);
/// "\e*v%dS" with the default font's colour.
void restore_default_colour(Run& run, PclOut& out);

/// The HP-GL/2 symbol set of a PCL symbol-set text: its leading number x 32 plus the
/// code of the next character - 64 (8U gives 277); 277 for none or an empty text.
long hpgl_symbol_set(const Text* symbol_set);
/// The HP-GL/2 font definition and label origin ("SD...;LO%d;", then "SP%d;" when colour
/// is on); empty when there is neither a font, a default font nor an override.
std::string hpgl_font(Run& run, const HpFont* font, const FontOverride* override_,
                      const Text* symbol_set);
/// The label direction "DI%f,%f;" for an angle in degrees.
std::string hpgl_direction(double angle);
/// The first code from 33 up that the text does not hold and is not ";"; 127 when none.
int label_terminator(std::string_view text);

/// Command builders of the label sequence.
std::string hpgl_enter(int mode);                               ///< "\e%%%dB"
std::string hpgl_leave(int mode);                               ///< "\e%%%dA"
std::string hpgl_transparency(int mode);                        ///< "TR%d;"
std::string hpgl_pen(int pen);                                  ///< "SP%d;"
std::string hpgl_fill_type(int type, int a, int b);             ///< "FT%d,%d,%d;"
std::string hpgl_character_fill(int mode);                      ///< "CF%d;"
std::string hpgl_character_fill(int mode, int edge_pen);        ///< "CF%d,%d;"
std::string hpgl_define_terminator(int terminator, int mode);   ///< "DT%c,%d;"
std::string hpgl_standard_font();                               ///< "SS;"
std::string hpgl_label(std::string_view text, int terminator);  ///< "LB%s%c;"
std::string hpgl_label_origin(int origin);                      ///< "LO%d;"

/// Draws text as an HP-GL/2 label at the PCL cursor (centre or right alignment as the
/// override says); the "%t" at each offset of marks becomes a total-page placeholder.
/// 0, or -1 after "Unable to get a terminator for hpgl string".
int place_label(Run& run, PclOut& out, std::string_view text, bool inverse, const HpFont* font,
                const FontOverride* override_, std::span<const std::size_t> marks);

}  // namespace morvel
