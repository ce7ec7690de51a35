// BOX and RBOX: rectangles drawn as PCL rectangle fills, and rounded rectangles drawn
// as HP-GL/2 polygons, both with grey shading or a downloaded fill pattern.
#include "reformat/boxes.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "reformat/fonts.h"
#include "reformat/job_setup.h"
#include "reformat/place_text.h"
#include "run.h"
#include "values/value.h"

namespace morvel {

namespace {

// Palette index that prints white: a box in this colour erases.
constexpr int kWhite = 7;

// The seven HP-GL/2 fill patterns, in download order (patterns 2 to 8). Printers and
// stored jobs know them by these exact bytes, the mis-sized pattern 7 included.
constexpr std::array<const char*, 7> kPatterns = {
    "\033%1BSP1;RF2,7,7,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,"
    "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0;\033%0A",
    "\033%1BSP1;RF3,5,5,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0,0;\033%0A",
    "\033%1BSP1;RF4,3,3,0,0,0,0,1,0,0,0,0;\033%0A",
    "\033%1BSP1;RF5,2,2,1,0,0,0;\033%0A",
    "\033%1BSP1;RF6,5,5,0,0,1,0,1,1,0,0,0,0,0,1,0,1,0,1,0,0,0,0,0,0,0,1,0;\033%0A",
    "\033%1BSP1;RF7,4,4,0,1,0,0,1,1,0,1,1,0,0,1,0,0,1,0,1,0,1,0,1,0,1,0,1;\033%0A",
    "\033%1BSP1;RF8,2,2,0,1,1,1;\033%0A",
};

// A box after the geometry common to BOX and RBOX. Coordinates are long so that large
// user values and shifts cannot overflow while they are added.
struct BoxShape {
    long x1 = 0;
    long x2 = 0;
    long top = 0;
    long bottom = 0;
    long thickness = 0;
    long shading = 0;
    bool colour = false;
};

// The patterns live in the printer until the next reset, so each output file needs
// them once after its page set-up.
void download_patterns(Run& run, PclOut& out) {
    if (run.reformat.patterns_file == out.file()) return;
    for (const char* pattern : kPatterns) out.write_bytes(pattern);
    run.reformat.patterns_file = out.file();
}

// Evaluates the corners, thickness and shading, shifts and orders the corners, turns
// a line into a filled rectangle of the thickness and adds the height to the advance.
// None after the negative-coordinate message.
std::optional<BoxShape> box_shape(Run& run, const BoxStatement& b, bool rounded, int base_y,
                                  double& advance) {
    const ReformatProgram& program = *run.reformat.program;
    BoxShape s;
    s.x1 = argument_integer(run, b.x1, "BOX(x1)");
    long y1 = argument_integer(run, b.y1, "BOX(y1)");
    s.x2 = argument_integer(run, b.x2, "BOX(x2)");
    long y2 = argument_integer(run, b.y2, "BOX(y2)");
    s.thickness =
        argument_integer(run, b.thickness, rounded ? "RBOX(thickness)" : "BOX(thickness)");
    s.shading = argument_integer(run, b.shading, rounded ? "RBOX(shading)" : "BOX(shading)");
    s.colour = colour_on(run, program) > 0;

    // The evaluated values saturate at the limits of long; bring them into int range
    // first so the sums below stay exact.
    s.x1 = clamp_to_int(s.x1) + long{program.x_shift};
    s.x2 = clamp_to_int(s.x2) + long{program.x_shift};
    y1 = clamp_to_int(y1) + long{program.y_shift};
    y2 = clamp_to_int(y2) + long{program.y_shift};
    if (s.x2 < s.x1) std::swap(s.x1, s.x2);
    s.top = base_y + std::min(y1, y2);
    s.bottom = base_y + std::max(y1, y2);
    if (s.x1 < 0 || s.x2 < 0 || s.top < 0 || s.bottom < 0) {
        if (rounded)
            report_error(run, 0, "Negative coordinate passed to rbox command");
        else
            report_error(run, 0, "Negative coordinate passed to box command");
        return std::nullopt;
    }

    s.thickness = std::max(0L, long{clamp_to_int(s.thickness)});
    if (s.x1 == s.x2) {
        s.x2 = s.x1 + s.thickness;
        s.thickness = 0;
    }
    if (s.top == s.bottom) {
        s.bottom = s.top + s.thickness;
        s.thickness = 0;
    }
    advance += static_cast<double>(s.bottom - s.top);

    // Patterns are HP-GL/2 fills and have no colour: without HP-GL/2 or with colour the
    // same figure is a grey percentage.
    if (s.shading < 0 && (program.hpgl_forbidden || s.colour))
        s.shading = s.shading < -100 ? 100 : -s.shading;
    if (s.shading > 100 || s.shading < -99) s.shading = 100;
    return s;
}

// Draws an edge of a box border as a black or white PCL rectangle.
void border_edge(Run& run, PclOut& out, long x, long y, long w, long h, int white) {
    set_cursor(run, out, clamp_to_int(x), clamp_to_int(y));
    out.printf("\033*c%lda%ldb%dP", w, h, white);
}

void draw_box(Run& run, const BoxStatement& b, const BoxShape& s, PclOut& out) {
    long t = s.thickness;
    long w = s.x2 - s.x1;
    long h = s.bottom - s.top;
    set_cursor(run, out, clamp_to_int(s.x1 + t), clamp_to_int(s.top + t));
    if (s.colour) out.printf("\033*v%dS", b.fill_colour);

    if (s.shading == 100 && !s.colour) {
        out.printf("\033*c%lda%ldb%dP", w, h, b.fill_colour == kWhite ? 1 : 0);
    } else if (s.shading >= 0) {
        if (s.shading == 100 && b.fill_colour == kWhite)
            out.printf("\033*c%lda%ldb1P", w, h);
        else if (s.shading != 0)
            out.printf("\033*c%lda%ldb%ldg2P", w, h, s.shading);
    } else {
        download_patterns(run, out);
        out.printf("\033%%1BSP1;FT11,%d;RR%ld,%ld;\033%%0A", fill_pattern(s.shading), w, h);
    }

    // The border goes on top of the fill, edge by edge.
    if (t > 0) {
        if (s.colour) out.printf("\033*v%dS", b.border_colour);
        int white = b.border_colour == kWhite ? 1 : 0;
        border_edge(run, out, s.x1, s.top, w + t, t, white);
        border_edge(run, out, s.x2, s.top, t, h + t, white);
        border_edge(run, out, s.x1, s.top, t, h + t, white);
        border_edge(run, out, s.x1, s.bottom, w + t, t, white);
    }
    out.printf("\033*c100G");
    if (s.colour) restore_default_colour(run, out);
}

void draw_rounded_box(Run& run, const BoxStatement& b, const BoxShape& s, PclOut& out) {
    long t = s.thickness;
    // The pen strokes centred on the path; half the pen width keeps the box where a
    // PCL box of the same corners would be.
    long x1 = s.x1 + t / 2;
    long x2 = s.x2 + t / 2;
    long top = s.top + t / 2;
    long bottom = s.bottom + t / 2;
    long a = b.radii[0];  // top left
    long r = b.radii[1];  // top right
    long c = b.radii[2];  // bottom left
    long d = b.radii[3];  // bottom right

    if (s.shading < 0) download_patterns(run, out);
    out.printf("\033%%1B");
    out.printf("PW%f;", static_cast<double>(t) * 0.07);
    out.printf("PU%ld,%ld", x1, top + a);
    out.printf("PM0;PD");
    out.printf("AA%ld,%ld,90", x1 + a, top + a);
    out.printf("PD%ld,%ld;", x2 - r, top);
    out.printf("AA%ld,%ld,90", x2 - r, top + r);
    out.printf("PD%ld,%ld;", x2, bottom - d);
    out.printf("AA%ld,%ld,90", x2 - d, bottom - d);
    out.printf("PD%ld,%ld;", x1 + c, bottom);
    out.printf("AA%ld,%ld,90", x1 + c, bottom - c);
    out.printf("PD%ld,%ld;", x1, top + a);
    out.printf("PM2;");

    if (s.shading != 0) {
        if (s.colour) out.printf("SP%d;", b.fill_colour);
        if (s.shading == 100 && s.colour)
            out.printf("TR0;FT1;FP;TR1;");
        else if (s.shading >= 0)
            out.printf("FT10,%ld;FP;", s.shading);
        else
            out.printf("FT11,%d;FP;", fill_pattern(s.shading));
    }
    if (s.colour) out.printf("TR0;SP%d;", b.border_colour);
    if (t > 0) out.printf("EP;");
    if (s.colour) out.printf("TR1;");
    out.printf("FT10,100;");
    out.printf("\033%%1A");
    if (s.colour) restore_default_colour(run, out);
}

}  // namespace

int fill_pattern(long shading) {
    if (shading >= -2) return 2;
    if (shading >= -10) return 3;
    if (shading >= -20) return 4;
    if (shading >= -35) return 5;
    if (shading >= -49) return 6;
    if (shading >= -69) return 7;
    return 8;
}

int execute_drawing(Run& run, const Statement& st, PclOut& out, int base_y, double& advance) {
    if (st.kind == Tok::MACRO) return execute_macro(run, st, out);
    // The grammar lets only printer programs draw; anything else has no page to draw on.
    const ReformatProgram* program = run.reformat.program;
    if (!program || program->kind != ReformatKind::Printer) return 0;
    if (st.kind == Tok::WATERMARK) return execute_watermark(run, st, out, base_y);
    if (st.kind != Tok::BOX && st.kind != Tok::RBOX) return 0;

    const auto& b = st.as<BoxStatement>();
    bool rounded = st.kind == Tok::RBOX;
    std::optional<BoxShape> shape = box_shape(run, b, rounded, base_y, advance);
    if (!shape) return -1;
    if (rounded)
        draw_rounded_box(run, b, *shape, out);
    else
        draw_box(run, b, *shape, out);
    return 0;
}

}  // namespace morvel
