#include "render/soft_fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "core/strfmt.h"

namespace morvel::render {

namespace {

unsigned u8(const std::string& d, std::size_t i) {
    return i < d.size() ? static_cast<unsigned char>(d[i]) : 0u;
}
unsigned u16(const std::string& d, std::size_t i) {
    return u8(d, i) << 8 | u8(d, i + 1);
}
int s16(const std::string& d, std::size_t i) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(u16(d, i)));
}
unsigned long u32(const std::string& d, std::size_t i) {
    return static_cast<unsigned long>(u16(d, i)) << 16 | u16(d, i + 2);
}
void put16(std::string& d, std::size_t i, unsigned v) {
    d[i] = static_cast<char>(v >> 8 & 0xFF);
    d[i + 1] = static_cast<char>(v & 0xFF);
}
void put32(std::string& d, std::size_t i, unsigned long v) {
    put16(d, i, static_cast<unsigned>(v >> 16 & 0xFFFF));
    put16(d, i + 2, static_cast<unsigned>(v & 0xFFFF));
}

// The symbol set value of a header: number * 32 + letter - 64.
std::string symbol_set_name(unsigned v) {
    unsigned letter = v % 32 + 64;
    if (letter < 'A' || letter > 'Z') return strfmt("%u", v / 32);
    return strfmt("%u%c", v / 32, static_cast<char>(letter));
}

constexpr int kMaxGlyphDots = 16384;             // widest or tallest bitmap character
constexpr std::size_t kMaxGlyphBits = 8u << 20;  // bytes of one character's image

}  // namespace

std::string check_bitmap_character(const std::string& block) {
    const unsigned format = u8(block, 0), cls = u8(block, 3);
    if (block.size() < 16 || format != 4 || (cls != 1 && cls != 2))
        return strfmt("bitmap character (format %u, class %u) not read", format, cls);
    const unsigned width = u16(block, 10), height = u16(block, 12);
    if (width > kMaxGlyphDots || height > kMaxGlyphDots ||
        static_cast<std::size_t>(width + 31) / 32 * 4 * height > kMaxGlyphBits)
        return strfmt("bitmap character of %u x %u dots is too large", width, height);
    return "";
}

bool decode_bitmap_character(const std::string& block, SoftGlyph& glyph) {
    if (!check_bitmap_character(block).empty()) return false;
    const unsigned cls = u8(block, 3);
    const int width = static_cast<int>(u16(block, 10));
    const int height = static_cast<int>(u16(block, 12));
    glyph.left = s16(block, 6);
    glyph.top = s16(block, 8);
    glyph.width = width;
    glyph.height = height;
    glyph.advance = s16(block, 14) / 4.0;
    glyph.stride = cairo_format_stride_for_width(CAIRO_FORMAT_A1, std::max(width, 1));
    const std::size_t size =
        static_cast<std::size_t>(glyph.stride) * static_cast<std::size_t>(height);
    if (size > kMaxGlyphBits) return false;
    glyph.bits.assign(size, 0);
    // cairo's A1 images hold the leftmost dot in the lowest bit of a 32-bit word.
    auto set_dot = [&](int x, int y) {
        std::size_t word = static_cast<std::size_t>(y) * static_cast<std::size_t>(glyph.stride) +
                           static_cast<std::size_t>(x / 32) * 4;
        std::uint32_t w = 0;
        std::copy_n(glyph.bits.data() + word, 4, reinterpret_cast<unsigned char*>(&w));
        w |= std::uint32_t{1} << (x % 32);
        std::copy_n(reinterpret_cast<const unsigned char*>(&w), 4, glyph.bits.data() + word);
    };
    const std::size_t start = 2 + u8(block, 2);
    std::size_t at = start;
    if (cls == 1) {
        const std::size_t row_bytes = (static_cast<std::size_t>(width) + 7) / 8;
        for (int y = 0; y < height; ++y)
            for (std::size_t b = 0; b < row_bytes; ++b, ++at) {
                if (at >= block.size()) return true;  // the rest of the image is blank
                unsigned v = u8(block, at);
                for (int bit = 0; bit < 8 && v; ++bit)
                    if (v & (0x80u >> bit)) {
                        int x = static_cast<int>(b * 8) + bit;
                        if (x < width) set_dot(x, y);
                    }
            }
        return true;
    }
    // Class 2: each row is a repeat count and then runs of paper and ink, in turn,
    // that together cover the row.
    int y = 0;
    while (y < height && at < block.size()) {
        int repeat = static_cast<int>(u8(block, at++));
        std::vector<std::pair<int, int>> ink;
        int x = 0;
        bool black = false;
        while (x < width && at < block.size()) {
            int run = static_cast<int>(u8(block, at++));
            if (black && run > 0) ink.emplace_back(x, std::min(width, x + run));
            x += run;
            black = !black;
        }
        for (int r = 0; r <= repeat && y < height; ++r, ++y)
            for (auto [x0, x1] : ink)
                for (int i = x0; i < x1; ++i) set_dot(i, y);
    }
    return true;
}

// The bytes FreeType reads (a whole TrueType file made of the downloaded tables and
// outlines) and FreeType's face over them; the cairo face owns them and lets them go
// when cairo drops it, which may be after the job's font is gone.
struct FreeTypeFont {
    FT_Library library = nullptr;
    FT_Face ft = nullptr;
    std::string file;
    ~FreeTypeFont() {
        if (ft) FT_Done_Face(ft);
        if (library) FT_Done_FreeType(library);
    }
};

// The font's reference to its cairo face.
struct ScalableFace {
    cairo_font_face_t* cairo = nullptr;
    FT_Face ft = nullptr;  ///< alive while `cairo` is
    ~ScalableFace() {
        if (cairo) cairo_font_face_destroy(cairo);
    }
};

namespace {

// A TrueType file from a downloaded font's tables: its own glyf and loca tables are
// made from the downloaded outlines (glyph number order), the rest kept as they are.
bool build_truetype(const SoftFont& font, std::string& file, std::string& error) {
    const std::string& t = font.tables;
    if (t.size() < 12) {
        error = "no TrueType tables in the font header";
        return false;
    }
    const unsigned count = u16(t, 4);
    struct Table {
        std::string tag;
        std::string data;
    };
    std::vector<Table> tables;
    unsigned glyphs = 0;
    bool has_head = false, has_hmtx = false;
    for (unsigned i = 0; i < count; ++i) {
        std::size_t e = 12 + 16 * static_cast<std::size_t>(i);
        if (e + 16 > t.size()) break;
        std::string tag = t.substr(e, 4);
        unsigned long offset = u32(t, e + 8), length = u32(t, e + 12);
        if (tag == "glyf" || tag == "loca" || tag == "gdir") continue;
        if (offset > t.size() || length > t.size() - offset) {
            error = "TrueType table " + tag + " lies outside the font header";
            return false;
        }
        Table table{tag, t.substr(offset, length)};
        if (tag == "maxp") glyphs = u16(table.data, 4);
        if (tag == "head") {
            if (table.data.size() < 54) {
                error = "short TrueType head table";
                return false;
            }
            has_head = true;
            put16(table.data, 50, 1);  // long offsets in loca
        }
        if (tag == "hmtx") has_hmtx = true;
        tables.push_back(std::move(table));
    }
    if (!has_head || glyphs == 0) {
        error = "the font header lacks the TrueType head or maxp table";
        return false;
    }
    Table glyf{"glyf", {}},
        loca{"loca", std::string(4 * (static_cast<std::size_t>(glyphs) + 1), '\0')};
    for (unsigned g = 0; g < glyphs; ++g) {
        put32(loca.data, 4 * g, glyf.data.size());
        auto it = font.outlines.find(g);
        if (it != font.outlines.end()) {
            glyf.data += it->second;
            if (glyf.data.size() % 2) glyf.data += '\0';
        }
    }
    put32(loca.data, 4 * static_cast<std::size_t>(glyphs), glyf.data.size());
    tables.push_back(std::move(glyf));
    tables.push_back(std::move(loca));
    if (!has_hmtx) {
        // Every glyph half an em wide, when the header carries no widths.
        Table hmtx{"hmtx", std::string(4, '\0')};
        put16(hmtx.data, 0, static_cast<unsigned>(font.scale_units / 2));
        tables.push_back(std::move(hmtx));
    }
    std::sort(tables.begin(), tables.end(),
              [](const Table& a, const Table& b) { return a.tag < b.tag; });
    file.assign(12 + 16 * tables.size(), '\0');
    put32(file, 0, 0x00010000);
    put16(file, 4, static_cast<unsigned>(tables.size()));
    for (std::size_t i = 0; i < tables.size(); ++i) {
        while (file.size() % 4) file += '\0';
        std::size_t e = 12 + 16 * i;
        file.replace(e, 4, tables[i].tag);
        put32(file, e + 8, file.size());
        put32(file, e + 12, tables[i].data.size());
        file += tables[i].data;
    }
    return true;
}

}  // namespace

SoftFonts::~SoftFonts() = default;

bool SoftFonts::charge(SoftFont& font, std::size_t add) {
    if (add > cap_ || bytes_ > cap_ - add) return false;
    bytes_ += add;
    font.bytes += add;
    return true;
}

std::string SoftFonts::define_font(int id, const std::string& d) {
    if (d.size() < 64) return "font header too short";
    const unsigned format = u8(d, 2);
    if (format != 0 && format != 20 && format != 15 && format != 16)
        return strfmt("font header format %u is not drawn", format);
    control(2, id, 0);
    SoftFont f;
    f.format = static_cast<int>(format);
    f.scalable = format == 15 || format == 16;
    f.font_type = static_cast<int>(u8(d, 3));
    f.proportional = u8(d, 13) == 1;
    f.symbol_set = symbol_set_name(u16(d, 14));
    f.pitch_dots = (u16(d, 16) + u8(d, 40) / 256.0) / 4;
    f.height_dots = (u16(d, 18) + u8(d, 41) / 256.0) / 4;
    f.style = static_cast<long>(u8(d, 4) << 8 | u8(d, 23));
    f.weight = static_cast<std::int8_t>(static_cast<unsigned char>(u8(d, 24)));
    f.typeface = static_cast<long>(u8(d, 26) << 8 | u8(d, 25));
    if (format == 20 && d.size() >= 68 && u16(d, 64) > 0) f.resolution = u16(d, 64);
    if (f.scalable) {
        if (d.size() < 72) return "scalable font header too short";
        if (u16(d, 64) > 0) f.scale_units = u16(d, 64);
        // Segments follow the header: two-letter name, size (format 16: 4 bytes), data.
        std::size_t at = std::max<std::size_t>(u16(d, 0), 72);
        while (at + 4 <= d.size()) {
            unsigned name = u16(d, at);
            unsigned long size = format == 16 ? u32(d, at + 2) : u16(d, at + 2);
            at += format == 16 ? 6 : 4;
            if (name == 0xFFFF) break;
            if (at > d.size() || size > d.size() - at)
                return "font header segment runs past the header";
            if (name == 0x4754) f.tables = d.substr(at, size);  // "GT"
            at += size;
        }
        if (f.tables.empty()) return "scalable font header without TrueType tables";
    }
    if (!charge(f, d.size())) return strfmt("downloaded fonts exceed %zu bytes", cap_);
    fonts_[id] = std::move(f);
    ++generation_;
    return "";
}

std::string SoftFonts::define_character(int id, unsigned code, const std::string& d) {
    if (d.size() < 2) return "character block too short";
    auto it = fonts_.find(id);
    const bool continued = u8(d, 1) != 0;
    if (continued) {
        // More of the character before; nothing when that one was not kept.
        if (pending_id_ != id || pending_code_ != code || it == fonts_.end()) return "";
        SoftFont& f = it->second;
        auto g = f.glyphs.find(code);
        if (g == f.glyphs.end()) return "";
        std::string more = d.substr(2);
        if (f.scalable) {
            more.resize(std::min(more.size(), g->second.outline_left));
            g->second.outline_left -= more.size();
            if (more.empty()) return "";
            if (!charge(f, more.size())) return strfmt("downloaded fonts exceed %zu bytes", cap_);
            f.outlines[g->second.glyph_id] += more;
            f.face.reset();
            f.face_failed = false;
            return "";
        }
        if (g->second.raw.empty()) return "";  // printed already: the block comes too late
        if (!charge(f, more.size())) return strfmt("downloaded fonts exceed %zu bytes", cap_);
        g->second.raw += more;
        return "";
    }
    pending_id_ = -1;
    if (it == fonts_.end()) return strfmt("character for font %d, which was not downloaded", id);
    SoftFont& f = it->second;
    control(3, id, code);  // a character replaces the one of its code
    const unsigned format = u8(d, 0);
    SoftGlyph g;
    if (f.scalable) {
        if (format != 15 || d.size() < 4)
            return strfmt("character format %u in a scalable font", format);
        const std::size_t at = 2 + u8(d, 2);
        if (at + 4 > d.size()) return "character block too short";
        const std::size_t declared = u16(d, at) >= 4 ? u16(d, at) - 4 : 0;
        g.glyph_id = u16(d, at + 2);
        std::string outline = d.substr(at + 4, declared);
        g.outline_left = declared - outline.size();
        auto old = f.outlines.find(g.glyph_id);
        const std::size_t before = old == f.outlines.end() ? 0 : old->second.size();
        if (outline.size() > before && !charge(f, outline.size() - before))
            return strfmt("downloaded fonts exceed %zu bytes", cap_);
        if (outline.size() < before) {
            f.bytes -= before - outline.size();
            bytes_ -= before - outline.size();
        }
        f.outlines[g.glyph_id] = std::move(outline);
        f.face.reset();
        f.face_failed = false;
    } else {
        std::string problem = check_bitmap_character(d);
        if (!problem.empty()) return problem;
        if (!charge(f, d.size())) return strfmt("downloaded fonts exceed %zu bytes", cap_);
        g.raw = d;
    }
    f.glyphs[code] = std::move(g);
    pending_id_ = id;
    pending_code_ = code;
    return "";
}

const SoftGlyph* SoftFonts::glyph(int id, unsigned code, std::string& error) {
    auto it = fonts_.find(id);
    if (it == fonts_.end()) return nullptr;
    SoftFont& f = it->second;
    auto g = f.glyphs.find(code);
    if (g == f.glyphs.end()) return nullptr;
    SoftGlyph& glyph = g->second;
    if (glyph.raw.empty()) return &glyph;
    // Decoded when first printed: the blocks of a character may come in many pieces.
    std::string raw = std::move(glyph.raw);
    glyph.raw.clear();
    f.bytes -= raw.size();
    bytes_ -= raw.size();
    if (pending_id_ == id && pending_code_ == code) pending_id_ = -1;
    if (!decode_bitmap_character(raw, glyph)) {
        error = strfmt("bitmap character %u of font %d not read", code, id);
        f.glyphs.erase(g);
        return nullptr;
    }
    if (!charge(f, glyph.bits.size())) {
        error = strfmt("downloaded fonts exceed %zu bytes", cap_);
        f.glyphs.erase(g);
        return nullptr;
    }
    glyph.serial = ++serial_;
    return &glyph;
}

bool SoftFonts::control(int op, int id, unsigned code) {
    auto drop = [&](std::map<int, SoftFont>::iterator it) {
        bytes_ -= it->second.bytes;
        ++generation_;
        return fonts_.erase(it);
    };
    switch (op) {
        case 0:
        case 1:
            for (auto it = fonts_.begin(); it != fonts_.end();)
                it = op == 0 || !it->second.permanent ? drop(it) : std::next(it);
            return true;
        case 2:
            if (auto it = fonts_.find(id); it != fonts_.end()) drop(it);
            return true;
        case 3:
            if (auto it = fonts_.find(id); it != fonts_.end()) {
                SoftFont& f = it->second;
                if (auto g = f.glyphs.find(code); g != f.glyphs.end()) {
                    std::size_t size = g->second.bits.size() + g->second.raw.size();
                    f.bytes -= size;
                    bytes_ -= size;
                    f.glyphs.erase(g);
                }
            }
            return true;
        case 4:
        case 5:
            if (auto it = fonts_.find(id); it != fonts_.end()) it->second.permanent = op == 5;
            return true;
        default:
            return false;
    }
}

const SoftFont* SoftFonts::find(int id) const {
    auto it = fonts_.find(id);
    return it == fonts_.end() ? nullptr : &it->second;
}

int SoftFonts::match(const std::string& symbol_set, bool proportional, double pitch,
                     double height_pt, long style, long weight, long typeface) const {
    // The attributes in the order a printer weighs them; a downloaded font serves a
    // selection only when it agrees on all of them (size within a point or a pitch).
    for (const auto& [id, f] : fonts_) {
        if (f.symbol_set != symbol_set || f.proportional != proportional) continue;
        if (!f.scalable) {
            if (proportional && std::abs(f.point_size() - height_pt) > 1) continue;
            if (!proportional && f.pitch_dots > 0 &&
                std::abs(f.resolution / f.pitch_dots - pitch) > 0.5)
                continue;
        }
        if (f.style != style || f.weight != weight || f.typeface != typeface) continue;
        return id;
    }
    return -1;
}

cairo_font_face_t* SoftFonts::face(int id, std::string& error) {
    auto it = fonts_.find(id);
    if (it == fonts_.end() || !it->second.scalable) return nullptr;
    SoftFont& f = it->second;
    if (f.face) return f.face->cairo;
    if (f.face_failed) return nullptr;
    // A font is made anew after characters were added; a job that adds and prints in
    // turn many times has its fonts made from at most this many bytes in all.
    constexpr std::size_t kMaxBuiltBytes = 256u << 20;
    if (f.bytes > kMaxBuiltBytes - std::min(built_, kMaxBuiltBytes)) {
        error = "the job changes its TrueType fonts too often";
        f.face_failed = true;
        return nullptr;
    }
    built_ += f.bytes;
    auto data = std::make_unique<FreeTypeFont>();
    if (!build_truetype(f, data->file, error)) {
        f.face_failed = true;
        return nullptr;
    }
    if (FT_Init_FreeType(&data->library) != 0 ||
        FT_New_Memory_Face(data->library, reinterpret_cast<const FT_Byte*>(data->file.data()),
                           static_cast<FT_Long>(data->file.size()), 0, &data->ft) != 0) {
        error = "FreeType cannot read the downloaded TrueType font";
        f.face_failed = true;
        return nullptr;
    }
    auto face = std::make_shared<ScalableFace>();
    face->ft = data->ft;
    face->cairo = cairo_ft_font_face_create_for_ft_face(data->ft, 0);
    static const cairo_user_data_key_t key{};
    if (cairo_font_face_set_user_data(face->cairo, &key, data.get(), [](void* p) {
            delete static_cast<FreeTypeFont*>(p);
        }) != CAIRO_STATUS_SUCCESS) {
        error = "out of memory";
        f.face_failed = true;
        return nullptr;  // `face` destroys the cairo face, `data` the FreeType face
    }
    data.release();
    f.face = face;
    return face->cairo;
}

double SoftFonts::advance_em(int id, unsigned glyph) {
    auto it = fonts_.find(id);
    if (it == fonts_.end() || !it->second.face) return 0.5;
    FT_Face ft = it->second.face->ft;
    if (FT_Load_Glyph(ft, glyph, FT_LOAD_NO_SCALE) != 0 || ft->units_per_EM == 0) return 0.5;
    return static_cast<double>(ft->glyph->advance.x) / ft->units_per_EM;
}

}  // namespace morvel::render
