#pragma once
// The printer's typefaces drawn with the URW base-35 fonts through FreeType, and
// the symbol sets that turn a job's bytes into characters.
#include <cairo.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace morvel::render {

/// What a job asks for: the attributes of PCL font selection.
struct FontRequest {
    bool proportional = false;
    long typeface = 4099;
    long style = 0;                  ///< 0 upright; odd values slant
    long weight = 0;                 ///< stroke weight, -7..7
    std::string symbol_set = "10U";  ///< PC-8, what printers select after a reset
    double pitch = 10;               ///< characters an inch of a fixed-pitch request
    bool operator<(const FontRequest& o) const;
};

/// A face the printer has built in, and the URW face that draws it.
struct BuiltinFace {
    long typeface;
    long weight;
    long style;  ///< posture + 4 * width
    bool proportional;
    const char* urw;  ///< file name of the URW face, without its extension
};

/// The built-in face a request gets, chosen as the printer chooses: spacing first (and for
/// the line printer face its one pitch), then style, then stroke weight, then typeface.
/// A style no face has reads as upright; a weight no face of that style has gives the
/// next thinner one for a light request (else the next heavier), the next heavier for
/// others (else the next thinner); a typeface no face of that style and weight has gives
/// the one of them with the lowest number.
const BuiltinFace& select_builtin_face(const FontRequest& request);

/// The URW families the typefaces map to.
enum class Family : std::uint8_t { Mono, Sans, Serif, Symbol, Dingbats };

/// The family that stands for a PCL typeface number of the given spacing.
Family family_for(long typeface, bool proportional);

/// Whether only the dingbat face has the symbol set: a printer then prints it with that
/// proportional face whatever typeface and spacing the job asks for.
bool dingbat_set(const std::string& set);

/// A loaded face with the glyph and advance (in ems) of every byte of its symbol set.
struct ActiveFont {
    cairo_font_face_t* face = nullptr;  ///< owned by the FontCache
    std::array<unsigned, 256> glyph{};
    std::array<double, 256> advance{};
    std::array<char32_t, 256> character{};
    /// The face a byte's glyph comes from when the main face lacks it (nullptr: `face`).
    std::array<cairo_font_face_t*, 256> face_of{};
    /// Bytes whose character no face has (drawn as the face's missing glyph).
    std::array<bool, 256> missing{};
    bool utf8 = false;   ///< symbol set 18N: bytes are UTF-8
    double x_scale = 1;  ///< glyphs drawn this much narrower than the face's own
    double y_scale = 1;  ///< and this much taller than its size says
    void* ft_face = nullptr;
    /// Glyph and advance of a character outside the byte table (UTF-8 jobs).
    unsigned glyph_of(char32_t c, double& advance_em) const;
};

/// The character each byte stands for in a PCL symbol set (e.g. "8U", "0N", "19U").
/// Unknown sets read as Roman-8 and set `known` false.
std::array<char32_t, 256> symbol_set_table(const std::string& set, bool& known);

struct PrinterMetrics;
/// The built-in printer font whose widths a request of this typeface, stroke weight and
/// style gets: its own, else the nearest variant of the typeface; nullptr for typefaces
/// whose widths are unknown.
const PrinterMetrics* printer_metrics_for(long typeface, long weight, long style);
/// A character's advance in ems in those metrics, negative when they lack it.
double printer_advance(const PrinterMetrics& metrics, char32_t c);

/// Loads faces on first use and keeps them for the run.
class FontCache {
  public:
    FontCache();
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;
    /// The font for a request, nullptr when no font file could be loaded (`error` says why).
    const ActiveFont* get(const FontRequest& request, std::string& error);

  private:
    struct Face;
    Face* face(Family family, bool bold, bool italic, std::string& error);
    Face* face(const std::string& stem, bool symbolic, std::string& error);
    struct Library;
    std::shared_ptr<Library> library_;
    std::map<std::string, std::unique_ptr<Face>> faces_;
    std::map<FontRequest, std::unique_ptr<ActiveFont>> fonts_;
    std::map<std::string, std::array<char32_t, 256>> tables_;
};

}  // namespace morvel::render
