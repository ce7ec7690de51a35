#pragma once
// Fonts of printer reformat programs: HP_FONT definitions and the per-statement
// font override written after a text statement.
#include <optional>
#include <string>

#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

/// The object of an HP font identifier (kind 11). Values are read at run time.
struct HpFont : IdObject {
    std::string name;
    Value proportional;            ///< non-zero: proportional spacing
    Value typeface;                ///< PCL typeface number (COURIER 4099, TIMES 4101, UNIVERS 4148)
    Value size;                    ///< pitch (fixed) or point height (proportional)
    Value boldness;                ///< stroke weight (NORMAL 0, BOLD 3, EXTRABOLD 6, LIGHT -3)
    std::optional<Value> effects;  ///< style (ITALIC 1); none = 0
    bool underline = false;
    int colour = 0;  ///< palette index from COLOUR:
};

/// The object of an Epson font identifier (kind 12): only its name is kept.
struct EpsonFont : IdObject {
    std::string name;
};

/// Text alignment of a font override (ALIGN:).
enum class Alignment : int { Left = 0, Centre = 1, Right = 2 };

/// Options written after a text statement's line step; each set field replaces
/// the font's value.
struct FontOverride {
    std::optional<Value> boldness;  ///< BOLD:
    std::optional<Value> size;      ///< SIZE:
    std::optional<Value> effects;   ///< EFFECT:
    Alignment alignment = Alignment::Left;
    std::optional<int> no_reset;  ///< NORESET: (INCLUDE keeps the page set-up)
    int colour = -1;              ///< COLOUR: palette index, -1 when not given
};

}  // namespace morvel
