// HP-GL/2 fills drawn as a plotter draws them: hatching as lines of the pen at the
// fill's spacing and angle, and wedges (pie slices) as polygons.
#include <algorithm>
#include <cmath>

#include "core/strfmt.h"
#include "render/interpreter.h"

namespace morvel::render {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPlotterUnit = 72.0 / 1016;  // points
// Hatch lines across one fill at most; a finer spacing is widened to it.
constexpr double kMaxHatchLines = 4000;

}  // namespace

void Interpreter::hpgl_hatch(cairo_t* cr, const Rgb& colour) {
    // The spacing is in user units along the x axis when scaling is on, plotter units
    // otherwise; 0 is one hundredth of the P1-P2 diagonal.
    double spacing = std::fabs(gl_.fill_a);
    if (spacing > 0 && gl_.scaled && gl_.sc[1] != gl_.sc[0])
        spacing *= std::fabs((gl_.p2x - gl_.p1x) / (gl_.sc[1] - gl_.sc[0]));
    if (!(spacing > 0) || !std::isfinite(spacing))
        spacing = std::hypot(gl_.p2x - gl_.p1x, gl_.p2y - gl_.p1y) / 100;
    spacing *= kPlotterUnit;
    double x0, y0, x1, y1;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    const double reach = std::hypot(x1 - x0, y1 - y0);
    if (!(reach > 0)) return;
    if (!(spacing > 0) || reach / spacing > kMaxHatchLines) {
        problems_.report(
            offset_now_, "hatch spacing",
            strfmt("hatch lines closer than %.0f across a fill are drawn farther apart",
                   kMaxHatchLines));
        spacing = reach / kMaxHatchLines;
    }
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_set_line_width(cr, pen_width_pt());
    // Lines anchored to the plotter's origin, counterclockwise from the x axis (y is
    // down on the page).
    const Point anchor = plotter_to_page(0, 0);
    const int families = gl_.fill_type == 4 ? 2 : 1;
    for (int f = 0; f < families; ++f) {
        const double angle = -(gl_.fill_b + 90.0 * f + gl_.rotation) * kPi / 180;
        const double dx = std::cos(angle), dy = std::sin(angle);  // along a line
        const double nx = -dy, ny = dx;                           // across the lines
        const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
        // The line through the anchor nearest the middle of the fill, then both ways.
        const double middle = (cx - anchor.x) * nx + (cy - anchor.y) * ny;
        const double first = std::floor((middle - reach / 2) / spacing);
        const double last = std::ceil((middle + reach / 2) / spacing);
        for (double i = first; i <= last; ++i) {
            const double ox = anchor.x + nx * i * spacing, oy = anchor.y + ny * i * spacing;
            // The point of this line nearest the middle, and half the reach each side.
            const double t = (cx - ox) * dx + (cy - oy) * dy;
            cairo_move_to(cr, ox + dx * (t - reach), oy + dy * (t - reach));
            cairo_line_to(cr, ox + dx * (t + reach), oy + dy * (t + reach));
        }
        cairo_stroke(cr);
    }
}

void Interpreter::hpgl_wedge(double radius, double start, double sweep, double chord, bool fill) {
    double ux, uy;
    plotter_to_user(gl_.pen_x, gl_.pen_y, ux, uy);
    sweep = std::clamp(sweep, -360.0, 360.0);
    const double step = chord > 0.5 && chord <= 180 ? chord : 5;
    const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / step)));
    std::vector<std::pair<double, double>> points;
    points.reserve(static_cast<std::size_t>(steps) + 2);
    // A whole circle has no centre point; a slice starts and ends at the centre.
    if (std::fabs(sweep) < 360) points.emplace_back(gl_.pen_x, gl_.pen_y);
    for (int i = 0; i <= steps; ++i) {
        const double a = (start + sweep * i / steps) * kPi / 180;
        double px, py;
        user_to_plotter(ux + radius * std::cos(a), uy + radius * std::sin(a), px, py);
        points.emplace_back(px, py);
    }
    auto saved = std::move(gl_.polygon);
    gl_.polygon = {std::move(points)};
    if (fill)
        hpgl_fill_polygon(false);
    else
        hpgl_edge_polygon();
    gl_.polygon = std::move(saved);
}

}  // namespace morvel::render
