// Rules, area fills and the shading and cross-hatch patterns, shared by PCL and HP-GL/2.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "core/strfmt.h"
#include "render/interpreter.h"

namespace morvel::render {

namespace {

// Pattern cells are 1/100 inch, anchored at the corner of the sheet.
constexpr double kCell = 0.72;
// The largest user-defined pattern kept, in dots, and all of them together.
constexpr std::size_t kMaxPatternCells = 1u << 16;
constexpr std::size_t kMaxPatternBytes = 16u << 20;

std::uint32_t argb(const Rgb& c) {
    auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5);
    };
    return 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

/// A repeating pattern of `w` x `h` cells whose ARGB colour `at(x, y)` gives, each `cell_x`
/// by `cell_y` points, counted from the corner of the logical page in its orientation.
template <class At>
cairo_pattern_t* repeat_cells(int w, int h, double cell_x, double cell_y,
                              const cairo_matrix_t& to_logical, At at) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) row[x] = at(x, y);
    }
    cairo_surface_mark_dirty(s);
    cairo_pattern_t* p = cairo_pattern_create_for_surface(s);
    cairo_surface_destroy(s);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
    cairo_matrix_t scale, m;
    cairo_matrix_init_scale(&scale, 1 / cell_x, 1 / cell_y);
    cairo_matrix_multiply(&m, &to_logical, &scale);
    cairo_pattern_set_matrix(p, &m);
    return p;
}

/// A repeating pattern from rows of '#' (ink) and '.' (no ink: transparent, or white when
/// `opaque`).
cairo_pattern_t* tile(std::span<const char* const> rows, const Rgb& colour,
                      const cairo_matrix_t& to_logical, bool opaque) {
    const int h = static_cast<int>(rows.size());
    const int w = static_cast<int>(std::char_traits<char>::length(rows[0]));
    const std::uint32_t ink = argb(colour), paper = opaque ? 0xFFFFFFFFu : 0;
    return repeat_cells(w, h, kCell, kCell, to_logical, [&](int x, int y) {
        return rows[static_cast<std::size_t>(y)][x] == '#' ? ink : paper;
    });
}

}  // namespace

bool Interpreter::opaque_patterns() const {
    // A viewer smooths a pattern's dots into grey: a transparent pattern drawn twice
    // would add up there. In PDF the cells between the dots are white, and transparent
    // fills blend by the darker colour (layer_blend), so a second layer changes nothing.
    return device_.pixels_per_point() <= 0;
}

void Interpreter::layer_blend(cairo_t* cr, bool transparent) const {
    if (transparent && device_.pixels_per_point() <= 0)
        cairo_set_operator(cr, CAIRO_OPERATOR_DARKEN);
}

Rgb Interpreter::palette_colour(long index) const {
    // An index past the palette's end wraps round it, as on a printer.
    if (index >= 0 && !palette_.empty())
        return palette_[static_cast<std::size_t>(index) % palette_.size()];
    return Rgb{0, 0, 0};
}

cairo_matrix_t Interpreter::user_to_logical() const {
    cairo_matrix_t m{1, 0, 0, 1, 0, 0};
    if (!cr_) return m;
    cairo_matrix_t to_logical = logical_to_device_;
    if (cairo_matrix_invert(&to_logical) != CAIRO_STATUS_SUCCESS) return m;
    cairo_matrix_t user_to_device;
    cairo_get_matrix(cr_, &user_to_device);
    cairo_matrix_multiply(&m, &user_to_device, &to_logical);
    return m;
}

cairo_pattern_t* Interpreter::shading_pattern(int level, const Rgb& colour) {
    if (level <= 0) return nullptr;
    const bool opaque = opaque_patterns();
    if (level >= 100) return cairo_pattern_create_rgb(colour.r, colour.g, colour.b);
    if (!device_.printer_shading()) {
        // For reading on screen: the grey the halftone looks like from a distance.
        const double k = level / 100.0;
        return cairo_pattern_create_rgb(1 - k * (1 - colour.r), 1 - k * (1 - colour.g),
                                        1 - k * (1 - colour.b));
    }
    // The printer's seven halftones: dots that grow in clusters on a 45 degree screen,
    // two clusters to a cell, turned with the logical page.
    struct Halftone {
        int up_to;  ///< the highest shading level in per cent that prints this cell
        std::array<const char*, 8> rows;
    };
    static constexpr std::array<Halftone, 7> kHalftones{{
        {2,
         {"#.......", "........", "........", "........", "........", "........", "........",
          "........"}},
        {10,
         {"#.......", "........", "........", "........", "....#...", "........", "........",
          "........"}},
        {20,
         {"##......", "##......", "........", "........", "....##..", "....##..", "........",
          "........"}},
        {35,
         {"##.....#", "##.....#", "#.......", "....#...", "...###..", "...###..", "....#...",
          "#......."}},
        {55,
         {"##.....#", "###.#.##", "##.....#", "#...#...", "...###..", "#.#####.", "...###..",
          "#...#..."}},
        {80,
         {"###...##", "###...##", "###...##", "##.###.#", "..#####.", "..#####.", "..#####.",
          "##.###.#"}},
        {99,
         {"####.###", "###...##", "####.###", "########", ".#######", "..#####.", ".#######",
          "########"}},
    }};
    const Halftone* cell = &kHalftones.back();
    for (const Halftone& h : kHalftones)
        if (level <= h.up_to) {
            cell = &h;
            break;
        }
    return tile(cell->rows, colour, user_to_logical(), opaque);
}

cairo_pattern_t* Interpreter::hatch_pattern(int id, const Rgb& colour) {
    // The six cross-hatch patterns, by their number: horizontal, vertical, two diagonals,
    // square and diagonal cross-hatch.
    using Cell = std::array<const char*, 8>;
    static constexpr std::array<Cell, 6> kHatches{{
        {"########", "........", "........", "........", "........", "........", "........",
         "........"},
        {"#.......", "#.......", "#.......", "#.......", "#.......", "#.......", "#.......",
         "#......."},
        {".......#", "......#.", ".....#..", "....#...", "...#....", "..#.....", ".#......",
         "#......."},
        {"#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..", "......#.",
         ".......#"},
        {"########", "#.......", "#.......", "#.......", "#.......", "#.......", "#.......",
         "#......."},
        {"#......#", ".#....#.", "..#..#..", "...##...", "...##...", "..#..#..", ".#....#.",
         "#......#"},
    }};
    // Numbers outside 1..5 print the last pattern.
    const Cell& cell = kHatches[id >= 1 && id <= 5 ? static_cast<std::size_t>(id - 1) : 5];
    return tile(cell, colour, user_to_logical(), opaque_patterns());
}

void Interpreter::download_pattern(const std::string& data, long long offset) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
    auto word = [&](std::size_t i) { return byte(i) << 8 | byte(i + 1); };
    const int format = data.size() >= 8 ? byte(0) : -1;
    const std::size_t header = format == 20 ? 12 : 8;
    if (data.size() < header || (format != 0 && format != 1 && format != 20)) {
        problems_.report(offset, "user pattern", "a pattern of unknown form is not kept");
        return;
    }
    UserPattern u;
    const int bits = format == 1 ? byte(2) : 1;
    u.height = word(4);
    u.width = word(6);
    u.colour = format == 1;
    // Pattern dots are printer dots at 300 dpi unless the pattern names its resolution.
    const int dpi_x = format == 20 && word(8) > 0 ? word(8) : 300;
    const int dpi_y = format == 20 && word(10) > 0 ? word(10) : 300;
    u.cell_x = 72.0 / dpi_x;
    u.cell_y = 72.0 / dpi_y;
    const auto cells = static_cast<std::size_t>(u.width) * static_cast<std::size_t>(u.height);
    const std::size_t row_bytes = (static_cast<std::size_t>(u.width) * bits + 7) / 8;
    if ((bits != 1 && bits != 8) || cells == 0 || cells > kMaxPatternCells ||
        data.size() < header + row_bytes * static_cast<std::size_t>(u.height)) {
        problems_.report(
            offset, "user pattern",
            strfmt("a %dx%d pattern of %d bits per dot is not kept", u.width, u.height, bits));
        return;
    }
    auto old = user_patterns_.find(area_id_);
    const std::size_t kept =
        user_pattern_bytes_ - (old != user_patterns_.end() ? old->second.cells.size() : 0);
    if (kept + cells > kMaxPatternBytes) {
        problems_.report(offset, "user pattern", "pattern memory is full: the pattern is not kept");
        return;
    }
    u.cells.resize(cells);
    for (int y = 0; y < u.height; ++y) {
        const std::size_t row = header + row_bytes * static_cast<std::size_t>(y);
        for (int x = 0; x < u.width; ++x) {
            const auto ux = static_cast<std::size_t>(x);
            u.cells[static_cast<std::size_t>(y * u.width + x)] =
                bits == 8 ? byte(row + ux) : (byte(row + ux / 8) >> (7 - ux % 8)) & 1;
        }
    }
    user_pattern_bytes_ = kept + cells;
    user_patterns_[area_id_] = std::move(u);
}

void Interpreter::pattern_control(int op) {
    auto drop = [&](auto it) {
        user_pattern_bytes_ -= it->second.cells.size();
        return user_patterns_.erase(it);
    };
    auto current = user_patterns_.find(area_id_);
    switch (op) {
        case 0:
        case 1:
            for (auto it = user_patterns_.begin(); it != user_patterns_.end();)
                it = op == 0 || !it->second.permanent ? drop(it) : std::next(it);
            break;
        case 2:
            if (current != user_patterns_.end()) drop(current);
            break;
        case 4:
        case 5:
            if (current != user_patterns_.end()) current->second.permanent = op == 5;
            break;
        default:
            break;
    }
}

cairo_pattern_t* Interpreter::user_pattern(int id, const Rgb& colour) {
    auto it = user_patterns_.find(id);
    if (it == user_patterns_.end()) return nullptr;
    const UserPattern& u = it->second;
    const std::uint32_t ink = argb(colour), paper = opaque_patterns() ? 0xFFFFFFFFu : 0;
    return repeat_cells(
        u.width, u.height, u.cell_x, u.cell_y, user_to_logical(), [&](int x, int y) {
            const std::uint8_t cell = u.cells[static_cast<std::size_t>(y * u.width + x)];
            if (!u.colour) return cell ? ink : paper;
            // A colour pattern's white dots are paper.
            const Rgb c = palette_colour(cell);
            return c.r >= 1 && c.g >= 1 && c.b >= 1 ? paper : argb(c);
        });
}

void Interpreter::set_fill_source(cairo_t* cr, int pattern, int id, const Rgb& colour) {
    if (rop_ != 252 && rop_source(cr)) return;
    cairo_pattern_t* p = nullptr;
    if (pattern == 2)
        p = shading_pattern(id, colour);
    else if (pattern == 3)
        p = hatch_pattern(id, colour);
    else if (pattern == 4)
        p = user_pattern(id, colour);
    if (!p && pattern == 4) {
        // A pattern ID with no pattern marks nothing.
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        return;
    }
    if (!p) {
        if (pattern == 2 && id <= 0)
            cairo_set_source_rgba(cr, 1, 1, 1, pattern_transparent_ ? 0 : 1);
        else
            cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
        return;
    }
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
    if (pattern == 2 && id >= 100) return;
    // A pattern marks whole dots, anchored to the page: a second layer of it over the
    // first marks the same dots and nothing darkens.
    if (device_.pixels_per_point() > 0) {
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
    } else {
        // A viewer smooths the edges; blending by the darker colour keeps layers of the
        // same shading (and a flat grey) from adding up, and lets what lies beneath show.
        layer_blend(cr, pattern_transparent_);
    }
}

namespace {

/// The device pixels an edge pair [a, b) covers: edges rounded to the nearest pixel
/// boundary, and at least the one pixel that holds the middle, as a printer sets a rule
/// in whole dots.
void snap(double& a, double& b) {
    double lo = std::round(a), hi = std::round(b);
    if (hi - lo < 1) {
        lo = std::floor((a + b) / 2);
        hi = lo + 1;
    }
    a = lo;
    b = hi;
}

}  // namespace

void Interpreter::rule_path(cairo_t* cr, double x, double y, double w, double h) {
    if (device_.pixels_per_point() == 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    double x0 = x, y0 = y, x1 = x + w, y1 = y + h;
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    double left = std::min(x0, x1), right = std::max(x0, x1);
    double top = std::min(y0, y1), bottom = std::max(y0, y1);
    snap(left, right);
    snap(top, bottom);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_restore(cr);
}

void Interpreter::check_on_page(double x0, double y0, double x1, double y1) {
    // Half a dot of tolerance: rules that end on the page's edge are on the page.
    const double slack = 36.0 / units_per_inch_;
    const double w = logical_width(), h = logical_height();
    if (x0 >= -slack && y0 >= -slack && x1 <= w + slack && y1 <= h + slack) return;
    const double dots = units_per_inch_ / 72.0;
    const double x = x1 > w + slack ? x1 : x0, y = y1 > h + slack ? y1 : y0;
    const int number = device_.pages() + 1;
    problems_.report(offset_now_, strfmt("outside page %d", number),
                     strfmt("page %d: a mark reaches x=%.0f y=%.0f dots, outside the page of "
                            "%.0f x %.0f dots (it is cut off)",
                            number, x * dots, y * dots, w * dots, h * dots));
}

void Interpreter::fill_rule(int kind) {
    if (rule_w_ <= 0 || rule_h_ <= 0) return;
    check_on_page(x_, y_, x_ + rule_w_, y_ + rule_h_);
    cairo_t* cr = page();
    cairo_save(cr);
    rule_path(cr, x_, y_, rule_w_, rule_h_);
    int pattern = kind;
    if (kind == 5) pattern = pattern_;
    if (pattern == 2 && area_id_ >= 100) pattern = 0;
    if (pattern == 1) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    } else {
        if (pattern >= 2 && !pattern_transparent_) {
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_fill_preserve(cr);
        }
        set_fill_source(cr, pattern, area_id_, foreground_);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

}  // namespace morvel::render
