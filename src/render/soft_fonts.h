#pragma once
// Fonts a job downloads: bitmap fonts (characters as dot images, plain or run-length
// compressed) and scalable TrueType fonts (the font's tables in the header, each
// character's outline with its glyph number), kept by font ID for the job.
#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace morvel::render {

/// Bytes of downloaded fonts a job may hold; a header or character past it is dropped
/// with a problem report.
constexpr std::size_t kSoftFontBytes = 32u << 20;

/// One downloaded character.
struct SoftGlyph {
    // Bitmap: the image in dots, its reference point `left` dots in from its left edge
    // and `top` dots down from its top edge; `bits` is a cairo A1 image of `stride`.
    int left = 0, top = 0, width = 0, height = 0;
    int stride = 0;
    std::vector<unsigned char> bits;
    double advance = 0;        ///< dots (bitmap)
    std::string raw;           ///< bitmap block as downloaded, decoded when first printed
    std::uint64_t serial = 0;  ///< names the decoded image (a PDF keeps it once)
    // Scalable: the glyph the code prints.
    unsigned glyph_id = 0;
    std::size_t outline_left = 0;  ///< outline bytes still to come in continuation blocks
};

/// The bytes of a scalable font that FreeType reads and the cairo face drawn from them.
struct ScalableFace;

/// One downloaded font: what its header says and its characters.
struct SoftFont {
    int format = 0;  ///< 0, 20 bitmap; 15, 16 TrueType
    bool scalable = false;
    bool proportional = false;
    bool permanent = false;
    int font_type = 0;          ///< 0 7-bit, 1 8-bit, 2 PC-8 (every code prints)
    double resolution = 300;    ///< dots per inch of a bitmap font
    double pitch_dots = 0;      ///< advance of a fixed-pitch bitmap font
    double height_dots = 0;     ///< design height of a bitmap font
    double scale_units = 2048;  ///< design units per em of a scalable font
    long style = 0, weight = 0, typeface = 0;
    std::string symbol_set;  ///< "8U", "0N" ...
    std::map<unsigned, SoftGlyph> glyphs;
    std::string tables;                        ///< the TrueType tables (GT segment)
    std::map<unsigned, std::string> outlines;  ///< glyph number -> TrueType glyph data
    std::size_t bytes = 0;                     ///< counted against the job's cap
    std::shared_ptr<ScalableFace> face;        ///< built on first use, rebuilt after changes
    bool face_failed = false;                  ///< the tables could not be read
    /// Point size of a bitmap font's characters when drawn at its own resolution.
    double point_size() const { return height_dots * 72 / resolution; }
};

/// The job's downloaded fonts.
class SoftFonts {
  public:
    explicit SoftFonts(std::size_t cap = kSoftFontBytes) : cap_(cap) {}
    ~SoftFonts();
    SoftFonts(const SoftFonts&) = delete;
    SoftFonts& operator=(const SoftFonts&) = delete;

    /// Reads a font header for font `id` (ESC)s#W); "" or a problem message.
    std::string define_font(int id, const std::string& data);
    /// Reads a character block for code `code` of font `id` (ESC(s#W); "" or a problem message.
    std::string define_character(int id, unsigned code, const std::string& data);
    /// Font control (ESC*c#F): 0 all, 1 temporary, 2 font `id`, 3 character `code` of
    /// `id`, 4 make `id` temporary, 5 permanent. Returns false for another operation.
    bool control(int op, int id, unsigned code);
    /// A reset: temporary fonts go.
    void reset() { control(1, 0, 0); }

    const SoftFont* find(int id) const;
    /// The character `code` of font `id` ready to print (a bitmap decoded), nullptr when
    /// the font lacks it or it cannot be read (`error` says why then).
    const SoftGlyph* glyph(int id, unsigned code, std::string& error);
    /// The font whose attributes match a selection best, or -1 when none serves it.
    int match(const std::string& symbol_set, bool proportional, double pitch, double height_pt,
              long style, long weight, long typeface) const;
    /// The cairo face of a scalable font (nullptr when its tables cannot be read; `error` says
    /// why).
    cairo_font_face_t* face(int id, std::string& error);
    /// Advance of a scalable font's glyph in ems.
    double advance_em(int id, unsigned glyph);
    std::size_t bytes() const { return bytes_; }
    /// Changes with every font added or removed.
    std::uint64_t generation() const { return generation_; }

  private:
    bool charge(SoftFont& font, std::size_t add);
    std::size_t cap_;
    std::size_t bytes_ = 0;
    std::uint64_t generation_ = 0;
    std::uint64_t serial_ = 0;
    std::size_t built_ = 0;  ///< bytes of TrueType files made so far (bounded)
    std::map<int, SoftFont> fonts_;
    // The character the next continuation block adds to.
    int pending_id_ = -1;
    unsigned pending_code_ = 0;
};

/// Checks a bitmap character block's descriptor; "" or why it cannot be read.
std::string check_bitmap_character(const std::string& block);
/// Decodes a bitmap character block (classes 1 and 2) into `glyph`; false when malformed.
bool decode_bitmap_character(const std::string& block, SoftGlyph& glyph);

}  // namespace morvel::render
