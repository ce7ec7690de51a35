#include "render/fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

#include "render/printer_metrics.h"
#include "render/symbol_sets.h"

namespace morvel::render {

namespace {

constexpr const char* kFontDirs[] = {
    "/usr/share/fonts/opentype/urw-base35/",
    "/usr/share/fonts/type1/urw-base35/",
    "/usr/share/fonts/X11/Type1/",
};
constexpr const char* kFontExtensions[] = {".otf", ".t1", ".pfb"};

std::string file_stem(Family family, bool bold, bool italic) {
    switch (family) {
        case Family::Mono:
            return bold ? (italic ? "NimbusMonoPS-BoldItalic" : "NimbusMonoPS-Bold")
                        : (italic ? "NimbusMonoPS-Italic" : "NimbusMonoPS-Regular");
        case Family::Sans:
            return bold ? (italic ? "NimbusSans-BoldItalic" : "NimbusSans-Bold")
                        : (italic ? "NimbusSans-Italic" : "NimbusSans-Regular");
        case Family::Serif:
            return bold ? (italic ? "NimbusRoman-BoldItalic" : "NimbusRoman-Bold")
                        : (italic ? "NimbusRoman-Italic" : "NimbusRoman-Regular");
        case Family::Symbol:
            return "StandardSymbolsPS";
        case Family::Dingbats:
            return "D050000L";
    }
    return "NimbusMonoPS-Regular";
}

// iconv names of the symbol sets a job selects; 18N is handled as UTF-8.
const char* charset_of(const std::string& set) {
    static constexpr std::pair<const char*, const char*> kSets[] = {
        {"8U", "HP-ROMAN8"},   {"0N", "ISO-8859-1"}, {"19U", "CP1252"},     {"10U", "CP437"},
        {"12U", "CP850"},      {"13U", "CP858"},     {"2N", "ISO-8859-2"},  {"9N", "ISO-8859-15"},
        {"9E", "CP1250"},      {"5N", "ISO-8859-9"}, {"10N", "ISO-8859-5"}, {"9R", "CP1251"},
        {"5T", "CP1254"},      {"17U", "CP852"},     {"11U", "CP850"},      {"12N", "ISO-8859-7"},
        {"18N", "ISO-8859-1"}, {"1U", "ASCII"},      {"6N", "ISO-8859-10"}, {"9T", "CP1254"},
        {"9U", "CP1252"},
    };
    for (const auto& [name, charset] : kSets)
        if (set == name) return charset;
    return nullptr;
}

bool slanted(long style) {
    return (style & 3) != 0;
}

long typeface_base(long typeface) {
    return (typeface < 0 ? -typeface : typeface) % 4096;
}

constexpr const char* kMono[] = {"NimbusMonoPS-Regular", "NimbusMonoPS-Italic", "NimbusMonoPS-Bold",
                                 "NimbusMonoPS-BoldItalic"};
constexpr const char* kSans[] = {"NimbusSans-Regular", "NimbusSans-Italic", "NimbusSans-Bold",
                                 "NimbusSans-BoldItalic"};
constexpr const char* kSerif[] = {"NimbusRoman-Regular", "NimbusRoman-Italic", "NimbusRoman-Bold",
                                  "NimbusRoman-BoldItalic"};

// The printer's built-in faces, by typeface number. Its own typefaces are drawn with the
// URW family of their kind (sans or serif); the faces it shares with PostScript printers
// with their URW equivalents.
constexpr BuiltinFace kBuiltinFaces[] = {
    {0, 0, 0, false, kMono[0]},  // line printer: at its own pitch only
    {4099, 0, 0, false, kMono[0]},
    {4099, 0, 1, false, kMono[1]},
    {4099, 3, 0, false, kMono[2]},
    {4099, 3, 1, false, kMono[3]},
    {4101, 0, 0, true, kSerif[0]},  // CG times
    {4101, 0, 1, true, kSerif[1]},
    {4101, 3, 0, true, kSerif[2]},
    {4101, 3, 1, true, kSerif[3]},
    {4102, 0, 0, false, kMono[0]},  // letter gothic
    {4102, 0, 1, false, kMono[1]},
    {4102, 3, 0, false, kMono[2]},
    {4113, 0, 0, true, kSans[0]},  // omega
    {4113, 0, 1, true, kSans[1]},
    {4113, 3, 0, true, kSans[2]},
    {4113, 3, 1, true, kSans[3]},
    {4116, 0, 1, true, kSerif[1]},  // coronet
    {4140, 3, 4, true, kSerif[2]},  // clarendon condensed
    {4148, 0, 0, true, kSans[0]},   // univers
    {4148, 0, 1, true, kSans[1]},
    {4148, 3, 0, true, kSans[2]},
    {4148, 3, 1, true, kSans[3]},
    {4148, 0, 4, true, kSans[0]},  // univers condensed, drawn narrowed
    {4148, 0, 5, true, kSans[1]},
    {4148, 3, 4, true, kSans[2]},
    {4148, 3, 5, true, kSans[3]},
    {4168, 0, 0, true, kSans[0]},  // antique olive
    {4168, 0, 1, true, kSans[1]},
    {4168, 3, 0, true, kSans[2]},
    {4197, 0, 0, true, kSerif[0]},  // garamond
    {4197, 0, 1, true, kSerif[1]},
    {4197, 3, 0, true, kSerif[2]},
    {4197, 3, 1, true, kSerif[3]},
    {4297, 0, 0, true, kSerif[0]},  // marigold
    {4362, 1, 0, true, kSans[0]},   // albertus medium
    {4362, 4, 0, true, kSans[2]},   // albertus extra bold
    {16602, 0, 0, true, kSans[0]},  // arial
    {16602, 0, 1, true, kSans[1]},
    {16602, 3, 0, true, kSans[2]},
    {16602, 3, 1, true, kSans[3]},
    {16901, 0, 0, true, kSerif[0]},  // times new
    {16901, 0, 1, true, kSerif[1]},
    {16901, 3, 0, true, kSerif[2]},
    {16901, 3, 1, true, kSerif[3]},
    {24580, 0, 0, true, kSans[0]},  // helvetica
    {24580, 0, 1, true, kSans[1]},
    {24580, 3, 0, true, kSans[2]},
    {24580, 3, 1, true, kSans[3]},
    {24580, 0, 4, true, "NimbusSansNarrow-Regular"},
    {24580, 0, 5, true, "NimbusSansNarrow-Oblique"},
    {24580, 3, 4, true, "NimbusSansNarrow-Bold"},
    {24580, 3, 5, true, "NimbusSansNarrow-BoldOblique"},
    {24591, 0, 0, true, "P052-Roman"},  // palatino
    {24591, 0, 1, true, "P052-Italic"},
    {24591, 3, 0, true, "P052-Bold"},
    {24591, 3, 1, true, "P052-BoldItalic"},
    {24607, 0, 0, true, "URWGothic-Book"},  // avant garde
    {24607, 0, 1, true, "URWGothic-BookOblique"},
    {24607, 2, 0, true, "URWGothic-Demi"},
    {24607, 2, 1, true, "URWGothic-DemiOblique"},
    {24623, -3, 0, true, "URWBookman-Light"},  // bookman
    {24623, -3, 1, true, "URWBookman-LightItalic"},
    {24623, 2, 0, true, "URWBookman-Demi"},
    {24623, 2, 1, true, "URWBookman-DemiItalic"},
    {24703, 0, 0, true, "C059-Roman"},  // century schoolbook
    {24703, 0, 1, true, "C059-Italic"},
    {24703, 3, 0, true, "C059-Bold"},
    {24703, 3, 1, true, "C059-BdIta"},
    {25093, 0, 0, true, kSerif[0]},  // times
    {25093, 0, 1, true, kSerif[1]},
    {25093, 3, 0, true, kSerif[2]},
    {25093, 3, 1, true, kSerif[3]},
    {45099, 0, 1, true, "Z003-MediumItalic"},  // chancery
};

constexpr double kLinePrinterPitch = 16.67;

// The faces a request can get at all: those of its spacing; the line printer face only at
// (about) its own pitch.
bool spacing_fits(const BuiltinFace& face, const FontRequest& request) {
    if (face.proportional != request.proportional) return false;
    return face.typeface != 0 || std::abs(request.pitch - kLinePrinterPitch) < 0.05;
}

// The stroke weight a request gets among the weights of the faces left.
long chosen_weight(const FontRequest& request, long style) {
    const long wanted = request.weight;
    long thinner = -100, heavier = 100;
    for (const BuiltinFace& f : kBuiltinFaces) {
        if (!spacing_fits(f, request) || f.style != style) continue;
        if (f.weight == wanted) return wanted;
        if (f.weight < wanted) thinner = std::max(thinner, f.weight);
        if (f.weight > wanted) heavier = std::min(heavier, f.weight);
    }
    if (wanted < 0) return thinner != -100 ? thinner : heavier;
    return heavier != 100 ? heavier : thinner;
}

}  // namespace

const BuiltinFace& select_builtin_face(const FontRequest& request) {
    // Structure (the bits above posture and width) does not part the built-in faces.
    long style = request.style % 32;
    if (std::none_of(std::begin(kBuiltinFaces), std::end(kBuiltinFaces), [&](const BuiltinFace& f) {
            return spacing_fits(f, request) && f.style == style;
        }))
        style = 0;
    const long weight = chosen_weight(request, style);
    const BuiltinFace* first = nullptr;
    for (const BuiltinFace& f : kBuiltinFaces) {
        if (!spacing_fits(f, request) || f.style != style || f.weight != weight) continue;
        if (typeface_base(f.typeface) == typeface_base(request.typeface)) return f;
        if (!first) first = &f;
    }
    return first ? *first : kBuiltinFaces[1];
}

const PrinterMetrics* printer_metrics_for(long typeface, long weight, long style) {
    // The printer's own face of that style and weight; else the nearest face of the
    // typeface, style before weight as a printer chooses: the same width (condensed or
    // not), then the same posture, then the nearest stroke weight.
    const PrinterMetrics* best = nullptr;
    long best_cost = 1000;
    for (const PrinterMetrics& m : printer_metrics()) {
        if (typeface_base(m.typeface) != typeface_base(typeface)) continue;
        long cost = (m.style >> 2 != style >> 2 ? 200 : 0) +
                    ((m.style & 3) != (style & 3) ? 100 : 0) + std::labs(m.weight - weight);
        if (cost < best_cost) {
            best = &m;
            best_cost = cost;
        }
    }
    return best;
}

double printer_advance(const PrinterMetrics& metrics, char32_t c) {
    if (c == U'\u00A0') c = U' ';  // the no-break space is as wide as the space
    auto it =
        std::lower_bound(metrics.widths.begin(), metrics.widths.end(), c,
                         [](const PrinterWidth& w, char32_t key) { return w.character < key; });
    if (it == metrics.widths.end() || it->character != c) return -1;
    return it->width / printer_width_unit();
}

bool FontRequest::operator<(const FontRequest& o) const {
    return std::tie(proportional, typeface, style, weight, symbol_set, pitch) <
           std::tie(o.proportional, o.typeface, o.style, o.weight, o.symbol_set, o.pitch);
}

Family family_for(long typeface, bool proportional) {
    long base = typeface % 4096;
    if (base < 0) base = -base;
    switch (base) {
        case 302:  // symbol
        case 4302:
            return Family::Symbol;
        case 2730:  // wingdings-like dingbats
        case 2711:
        case 45:
            return Family::Dingbats;
        default:
            break;
    }
    if (!proportional) return Family::Mono;
    // A proportional request: spacing comes before typeface, so a typeface that has only
    // fixed-pitch faces (line printer, Courier, Letter Gothic) gets the printer's default
    // proportional face, a serif one, as does a typeface the printer does not know.
    switch (base) {
        case 4:    // helvetica
        case 17:   // cg omega
        case 31:   // avant garde
        case 52:   // univers
        case 72:   // antique olive
        case 218:  // arial
        case 266:  // albertus
            return Family::Sans;
        default:
            return Family::Serif;
    }
}

bool dingbat_set(const std::string& set) {
    return set == "579L";
}

bool pc8_family(const std::string& set) {
    return set == "10U" || set == "11U" || set == "12U" || set == "17U";
}

std::array<char32_t, 256> symbol_set_table(const std::string& set, bool& known) {
    std::array<char32_t, 256> table{};
    for (std::size_t i = 0; i < 256; ++i) table[i] = static_cast<char32_t>(i);
    if (const SymbolSetTable* t = find_symbol_set(set)) {
        known = true;
        for (std::size_t i = 32; i < 256; ++i)
            if (!t->ascii || i >= 127) table[i] = 0xFFFD;
        for (const SymbolSetEntry& e : t->entries) table[e.code] = e.character;
        return table;
    }
    const char* charset = charset_of(set);
    known = charset != nullptr;
    if (!charset) charset = "HP-ROMAN8";
    iconv_t cd = iconv_open("UTF-32LE", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return table;
    for (std::size_t i = 32; i < 256; ++i) {
        char in = static_cast<char>(i);
        unsigned char out[8] = {};
        char* in_p = &in;
        auto* out_p = reinterpret_cast<char*>(out);
        std::size_t in_left = 1, out_left = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &in_p, &in_left, &out_p, &out_left) != static_cast<std::size_t>(-1) &&
            out_left <= 4)
            table[i] = static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
        else if (i >= 128)
            table[i] = 0xFFFD;
    }
    iconv_close(cd);
    if (pc8_family(set))
        for (const SymbolSetEntry& e : pc8_low_codes()) table[e.code] = e.character;
    // Where a printer's sets part from the code pages they are named after: Roman-8 (also
    // standing in for a set the printer does not have) has typographic single quotes for the
    // apostrophe and the grave accent, and the ISO and PC sets have the small tilde accent,
    // ISO Latin 1 and 2 and PC-858 also the small circumflex.
    if (set == "8U" || !known) {
        table[0x27] = U'\u2019';
        table[0x60] = U'\u2018';
    }
    static constexpr std::string_view kSmallTilde[] = {"0N",  "2N",  "5N",  "9N",  "9U",
                                                       "10U", "11U", "12U", "13U", "17U"};
    if (std::find(std::begin(kSmallTilde), std::end(kSmallTilde), set) != std::end(kSmallTilde))
        table[0x7E] = U'\u02DC';
    static constexpr std::string_view kSmallCircumflex[] = {"0N", "2N", "13U"};
    if (std::find(std::begin(kSmallCircumflex), std::end(kSmallCircumflex), set) !=
        std::end(kSmallCircumflex))
        table[0x5E] = U'\u02C6';
    // Windows 3.0 Latin 1 has of the codes 128 to 159 only the euro and the single quotes;
    // the printer's ISO Latin 2 has the euro at 128 too.
    if (set == "9U")
        for (std::size_t i = 0x81; i < 0xA0; ++i)
            if (i != 0x91 && i != 0x92) table[i] = 0xFFFD;
    if (set == "2N") table[0x80] = U'\u20AC';
    return table;
}

struct FontCache::Face {
    FT_Face ft = nullptr;
    cairo_font_face_t* cairo = nullptr;
    bool symbolic = false;
    ~Face() {
        // cairo keeps the FreeType face until its own face goes; see the destroy hook.
        if (cairo) cairo_font_face_destroy(cairo);
    }
};

unsigned ActiveFont::glyph_of(char32_t c, double& advance_em) const {
    auto ft = static_cast<FT_Face>(ft_face);
    unsigned g = FT_Get_Char_Index(ft, c);
    advance_em = 0.6;
    if (FT_Load_Glyph(ft, g, FT_LOAD_NO_SCALE) == 0 && ft->units_per_EM)
        advance_em = static_cast<double>(ft->glyph->advance.x) / ft->units_per_EM;
    return g;
}

/// The FreeType library, shared by the cache and every face cairo may still hold.
struct FontCache::Library {
    FT_Library ft = nullptr;
    Library() {
        if (FT_Init_FreeType(&ft) != 0) ft = nullptr;
    }
    ~Library() {
        if (ft) FT_Done_FreeType(ft);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

FontCache::FontCache() : library_(std::make_shared<Library>()) {}

FontCache::~FontCache() {
    fonts_.clear();
    faces_.clear();
}

FontCache::Face* FontCache::face(Family family, bool bold, bool italic, std::string& error) {
    return face(file_stem(family, bold, italic),
                family == Family::Symbol || family == Family::Dingbats, error);
}

FontCache::Face* FontCache::face(const std::string& stem, bool symbolic, std::string& error) {
    auto it = faces_.find(stem);
    if (it != faces_.end()) return it->second.get();
    if (!library_->ft) {
        error = "FreeType could not be initialised";
        return nullptr;
    }
    auto face = std::make_unique<Face>();
    for (const char* dir : kFontDirs) {
        for (const char* ext : kFontExtensions) {
            std::string path = std::string(dir) + stem + ext;
            std::error_code ec;
            if (!std::filesystem::exists(path, ec)) continue;
            if (FT_New_Face(library_->ft, path.c_str(), 0, &face->ft) == 0) break;
            face->ft = nullptr;
        }
        if (face->ft) break;
    }
    if (!face->ft) {
        error = "font " + stem + " (fonts-urw-base35) not found";
        faces_[stem] = nullptr;
        return nullptr;
    }
    face->cairo = cairo_ft_font_face_create_for_ft_face(face->ft, 0);
    // cairo may keep the face in its caches after this cache is gone: the face holds a
    // reference to the library and both are released when cairo lets go.
    struct Owned {
        std::shared_ptr<Library> library;
        FT_Face face;
    };
    static cairo_user_data_key_t key;
    cairo_font_face_set_user_data(face->cairo, &key, new Owned{library_, face->ft}, [](void* p) {
        auto* owned = static_cast<Owned*>(p);
        FT_Done_Face(owned->face);
        delete owned;
    });
    face->symbolic = symbolic;
    Face* result = face.get();
    faces_[stem] = std::move(face);
    return result;
}

const ActiveFont* FontCache::get(const FontRequest& asked, std::string& error) {
    // Of the pitch only one thing parts fixed-pitch faces: whether it is the line printer's.
    FontRequest request = asked;
    request.pitch = !request.proportional && std::abs(request.pitch - kLinePrinterPitch) < 0.05
                        ? kLinePrinterPitch
                        : 0;
    auto it = fonts_.find(request);
    if (it != fonts_.end()) return it->second.get();
    const Family family = dingbat_set(request.symbol_set)
                              ? Family::Dingbats
                              : family_for(request.typeface, request.proportional);
    const bool symbolic = family == Family::Symbol || family == Family::Dingbats;
    const BuiltinFace* builtin = symbolic ? nullptr : &select_builtin_face(request);
    const bool line_printer = builtin && builtin->typeface == 0;
    Face* f = builtin ? face(builtin->urw, false, error)
                      : face(family, request.weight > 0, slanted(request.style), error);
    if (!f) {
        fonts_[request] = nullptr;
        return nullptr;
    }
    auto font = std::make_unique<ActiveFont>();
    font->face = f->cairo;
    font->ft_face = f->ft;
    font->utf8 = request.symbol_set == "18N";
    bool known = true;
    auto found = tables_.find(request.symbol_set);
    if (found == tables_.end())
        found =
            tables_.emplace(request.symbol_set, symbol_set_table(request.symbol_set, known)).first;
    font->character = found->second;
    if (f->symbolic) {
        // Symbol faces are addressed by their own code points.
        if (f->ft->charmap == nullptr || FT_Select_Charmap(f->ft, FT_ENCODING_ADOBE_CUSTOM) != 0)
            FT_Select_Charmap(f->ft, FT_ENCODING_UNICODE);
    }
    for (std::size_t i = 0; i < 256; ++i) {
        double advance = 0.6;
        font->glyph[i] =
            font->glyph_of(f->symbolic ? static_cast<char32_t>(i) : font->character[i], advance);
        font->advance[i] = advance;
    }
    // Characters the face lacks come from the symbol and dingbat faces when they have them.
    if (!f->symbolic) {
        for (std::size_t i = 0; i < 256; ++i) {
            char32_t c = font->character[i];
            if (font->glyph[i] != 0 || c < 0x20 || c == 0xFFFD || (c >= 0x7F && c < 0xA0)) continue;
            font->missing[i] = true;
            for (Family other : {Family::Symbol, Family::Dingbats}) {
                std::string ignored;
                Face* alt = face(other, false, false, ignored);
                if (!alt || FT_Select_Charmap(alt->ft, FT_ENCODING_UNICODE) != 0) continue;
                ActiveFont probe;
                probe.ft_face = alt->ft;
                double advance = 0.6;
                unsigned g = probe.glyph_of(c, advance);
                if (g == 0) continue;
                font->glyph[i] = g;
                font->advance[i] = advance;
                font->face_of[i] = alt->cairo;
                font->missing[i] = false;
                break;
            }
        }
    }
    // Proportional text advances as the printer's own typeface does, whatever face draws
    // it; a face narrower than the URW one that draws it (condensed, script faces) is drawn
    // narrowed by as much, so its letters keep within their advances.
    if (request.proportional && family != Family::Dingbats) {
        // Faces the printer shares with PostScript printers advance as their URW equivalents;
        // Helvetica as Arial (they share widths).
        const PrinterMetrics* m =
            builtin ? printer_metrics_for(builtin->typeface, builtin->weight, builtin->style)
                    : printer_metrics_for(request.typeface, request.weight, request.style);
        if (!m && builtin && typeface_base(builtin->typeface) == 4)
            m = printer_metrics_for(16602, builtin->weight, builtin->style);
        if (m) {
            double printer = 0, drawn = 0;
            for (std::size_t i = 0; i < 256; ++i) {
                double advance = printer_advance(*m, font->character[i]);
                if (advance <= 0) continue;
                if (font->character[i] >= U'a' && font->character[i] <= U'z') {
                    printer += advance;
                    drawn += font->advance[i];
                }
                font->advance[i] = advance;
            }
            if (drawn > 0 && printer / drawn < 0.95) font->x_scale = printer / drawn;
        }
    }
    // The line printer face is taller than Courier at its pitch: 8.5 points at 16.67 characters
    // an inch, where Courier would be 7.2.
    if (line_printer) font->y_scale = 8.5 / 7.2;
    const ActiveFont* result = font.get();
    fonts_[request] = std::move(font);
    return result;
}

}  // namespace morvel::render
