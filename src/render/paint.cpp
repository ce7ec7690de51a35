// Rules, area fills and the shading and cross-hatch patterns, shared by PCL and HP-GL/2.
#include <algorithm>
#include <array>
#include <cstdint>

#include "render/interpreter.h"

namespace morvel::render {

namespace {

// Pattern cells are 1/100 inch, anchored at the corner of the sheet.
constexpr double kCell = 0.72;

std::uint32_t argb(const Rgb& c) {
    auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5);
    };
    return 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

/// A repeating pattern from rows of '#' (ink) and '.' (no ink).
cairo_pattern_t* tile(const std::vector<const char*>& rows, const Rgb& colour,
                      const cairo_matrix_t& orientation) {
    int h = static_cast<int>(rows.size());
    int w = static_cast<int>(std::char_traits<char>::length(rows[0]));
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    std::uint32_t ink = argb(colour);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) row[x] = rows[static_cast<std::size_t>(y)][x] == '#' ? ink : 0;
    }
    cairo_surface_mark_dirty(s);
    cairo_pattern_t* p = cairo_pattern_create_for_surface(s);
    cairo_surface_destroy(s);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
    // Cells are counted from the corner of the sheet, whatever the orientation.
    cairo_matrix_t scale, m;
    cairo_matrix_init_scale(&scale, 1 / kCell, 1 / kCell);
    cairo_matrix_multiply(&m, &orientation, &scale);
    cairo_pattern_set_matrix(p, &m);
    return p;
}

}  // namespace

Rgb Interpreter::palette_colour(long index) const {
    if (index >= 0 && index < static_cast<long>(palette_.size()))
        return palette_[static_cast<std::size_t>(index)];
    return Rgb{0, 0, 0};
}

cairo_pattern_t* Interpreter::shading_pattern(int level, const Rgb& colour) {
    if (level <= 0) return nullptr;
    if (level >= 100) return cairo_pattern_create_rgb(colour.r, colour.g, colour.b);
    if (level <= 2)
        return tile({"#.......", "........", "........", "........", "....#...", "........",
                     "........", "........"},
                    colour, orientation_matrix_);
    if (level <= 10)
        return tile({"##......", "##......", "........", "........", "....##..", "....##..",
                     "........", "........"},
                    colour, orientation_matrix_);
    if (level <= 20)
        return tile({"##......", "........", "........", "....##..", "....##..", "........",
                     "........", "##......"},
                    colour, orientation_matrix_);
    if (level <= 35) return tile({"##..", "##..", "....", "...."}, colour, orientation_matrix_);
    if (level <= 55) return tile({"##..", "##..", "..##", "..##"}, colour, orientation_matrix_);
    if (level <= 80) return tile({"####", "####", "..##", "..##"}, colour, orientation_matrix_);
    return tile({"########", "########", "######..", "######..", "########", "########", "..######",
                 "..######"},
                colour, orientation_matrix_);
}

cairo_pattern_t* Interpreter::hatch_pattern(int id, const Rgb& colour) {
    switch (id) {
        case 1:
            return tile({"########", "........", "........", "........", "........", "........",
                         "........", "........"},
                        colour, orientation_matrix_);
        case 2:
            return tile({"#.......", "#.......", "#.......", "#.......", "#.......", "#.......",
                         "#.......", "#......."},
                        colour, orientation_matrix_);
        case 3:
            return tile({".......#", "......#.", ".....#..", "....#...", "...#....", "..#.....",
                         ".#......", "#......."},
                        colour, orientation_matrix_);
        case 4:
            return tile({"#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..",
                         "......#.", ".......#"},
                        colour, orientation_matrix_);
        case 5:
            return tile({"########", "#.......", "#.......", "#.......", "#.......", "#.......",
                         "#.......", "#......."},
                        colour, orientation_matrix_);
        default:
            return tile({"#......#", ".#....#.", "..#..#..", "...##...", "...##...", "..#..#..",
                         ".#....#.", "#......#"},
                        colour, orientation_matrix_);
    }
}

void Interpreter::set_fill_source(cairo_t* cr, int pattern, int id, const Rgb& colour) {
    cairo_pattern_t* p = nullptr;
    if (pattern == 2)
        p = shading_pattern(id, colour);
    else if (pattern == 3)
        p = hatch_pattern(id, colour);
    if (!p) {
        if (pattern == 2 && id <= 0)
            cairo_set_source_rgba(cr, 1, 1, 1, pattern_transparent_ ? 0 : 1);
        else
            cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
        return;
    }
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void Interpreter::fill_rule(int kind) {
    if (rule_w_ <= 0 || rule_h_ <= 0) return;
    cairo_t* cr = page();
    cairo_save(cr);
    cairo_rectangle(cr, x_, y_, rule_w_, rule_h_);
    int pattern = kind;
    if (kind == 5) pattern = pattern_ == 4 ? 0 : pattern_;
    if (kind == 4) pattern = 0;
    if (pattern == 2 && area_id_ >= 100) pattern = 0;
    if (pattern == 1) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    } else {
        if ((pattern == 2 || pattern == 3) && !pattern_transparent_) {
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_fill_preserve(cr);
        }
        set_fill_source(cr, pattern, area_id_, foreground_);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

}  // namespace morvel::render
