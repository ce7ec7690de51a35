#pragma once
// The PCL 5 and HP-GL/2 interpreter: reads a job from an Input and draws its pages
// on a Device. One Interpreter renders one job; it holds all state of that job.
#include <cairo.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/fonts.h"
#include "render/inked_faces.h"
#include "render/input.h"
#include "render/problems.h"
#include "render/soft_fonts.h"

namespace morvel::render {

/// The top margin after a reset or a change of paper or orientation: half an inch.
inline constexpr double kDefaultTopMargin = 36;

struct Rgb {
    double r = 0, g = 0, b = 0;
    bool white() const { return r >= 1 && g >= 1 && b >= 1; }
};

/// A point in logical-page points (1/72 inch, y down).
struct Point {
    double x = 0, y = 0;
};

/// One parsed escape sequence: ESC, parameter character, group character, value, terminator.
struct Command {
    char parameter = 0;  ///< '&', '*', '(' ...; 0 for a two-character sequence
    char group = 0;      ///< lower-case group character or 0
    char final = 0;      ///< upper-case terminator
    double value = 0;
    bool has_value = false;
    bool has_sign = false;  ///< the value had an explicit + or - (relative moves)
    std::string text;       ///< the value as written ("8" for "(8U")
    long long offset = 0;   ///< byte offset of the ESC
};

/// The HP-GL/2 state; coordinates in plotter units (1/1016 inch) from the frame's lower left.
struct Hpgl {
    double pen_x = 0, pen_y = 0;
    bool pen_down = false;
    int pen = 1;
    std::vector<double> pen_width_mm = std::vector<double>(256, 0.35);
    double p1x = 0, p1y = 0, p2x = 0, p2y = 0;
    bool scaled = false;
    int scale_type = 0;
    double sc[4] = {0, 1, 0, 1};
    int fill_type = 1;
    double fill_a = 0, fill_b = 0;
    /// The parameters last given for each fill type, which FT without them takes again.
    std::map<int, std::pair<double, double>> fill_last;
    bool transparent = true;
    int label_origin = 1;
    double dir_run = 1, dir_rise = 0;
    char terminator = 3;
    bool terminator_printed = true;
    FontRequest font;
    double font_height = 12;
    double font_pitch = 10;
    bool polygon_mode = false;
    std::vector<std::vector<std::pair<double, double>>> polygon;  ///< plotter units
    std::size_t polygon_points = 0;                               ///< points in `polygon`
    bool relative = false;
    int rotation = 0;  ///< RO: 0, 90, 180 or 270 degrees counterclockwise
    std::map<int, std::vector<std::uint8_t>> raster_fills;  ///< RF index -> w, h, cells
    std::map<int, std::pair<int, int>> raster_fill_size;
};

/// What a logical operation does to the page under one dot of a mark.
enum class RopAction : std::uint8_t { Ink, White, Keep, Invert };
/// The action of logical operation `rop` for a source dot of ink or paper over a
/// texture dot of ink or paper.
RopAction rop_action(int rop, bool source_ink, bool texture_ink);

struct PclCommands;
struct PclCall;
struct GlCommands;
struct GlCall;

class Interpreter {
  public:
    Interpreter(Device& device, FontCache& fonts, Problems& problems);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;
    /// Reads and draws the whole job.
    void run(Input& in);
    /// Ejects the last page when it has marks (or when no page was output at all).
    void finish();
    /// Where the PCL cursor is (logical-page points), for tests.
    Point cursor() const { return Point{x_, y_}; }
    /// Pages output so far.
    int pages() const { return device_.pages(); }

  private:
    // The command tables (pcl_commands.cpp, hpgl_commands.cpp) drive the interpreter.
    friend struct PclCommands;
    friend struct PclCall;
    friend struct GlCommands;
    friend struct GlCall;

    // Parsing (pcl.cpp)
    void run_stream(Input& in, int depth);
    /// Takes the job's first bytes and reports a job in another language.
    void note_job_start(int byte);
    bool read_command(Input& in, int first, Command& c, bool& more);
    void skip_data(Input& in, long long count, std::string* keep, std::size_t keep_max);
    void execute(Input& in, Command& c, int depth);
    void execute_two_char(int c, long long offset);
    void control(int byte, long long offset);
    bool takes_data(const Command& c) const;
    void unknown(const Command& c);
    void pjl(Input& in);

    // Job and page state (pcl.cpp)
    void reset();
    void eject(bool always);
    cairo_t* page();
    /// Selects a paper size by its PCL code; false for a code the printer does not know.
    bool set_page_size(int code);
    void set_orientation(int o);
    void default_margins();
    void default_cursor();
    void clamp_cursor();
    double logical_width() const;
    double logical_height() const;

    // Text (text.cpp)
    void text_byte(int byte, long long offset);
    void flush_text();
    const ActiveFont* current_font();
    double font_size_pt() const;
    bool proportional_now() const;
    double hmi() const;
    void set_fill_source(cairo_t* cr, int pattern, int id, const Rgb& colour);

    // Downloaded fonts (soft_text.cpp)
    /// The downloaded font that prints text now, -1 for a built-in one.
    int current_soft_font();
    /// Prints a byte in downloaded font `id`; false when the font cannot print (the
    /// built-in font prints it then).
    bool soft_text_byte(int id, int byte, long long offset);
    /// ESC(#X, ESC)#X.
    void select_soft_font(bool primary, int id, long long offset);
    void soft_font_data(bool header, const std::string& data, long long offset);

    void show_glyphs(cairo_t* cr, const std::string& utf8, const std::vector<cairo_glyph_t>& glyphs,
                     const std::vector<cairo_text_cluster_t>& clusters);

    // Rules and patterns (paint.cpp)
    void fill_rule(int kind);
    /// Adds a rule's rectangle to the path; on pixels its edges lie on whole pixels.
    void rule_path(cairo_t* cr, double x, double y, double w, double h);
    /// Reports once per page a mark whose extent (logical points) leaves the page.
    void check_on_page(double x0, double y0, double x1, double y1);
    cairo_pattern_t* shading_pattern(int level, const Rgb& colour);
    /// Whether patterns paint white between their dots (PDF) or leave it clear (pixels).
    bool opaque_patterns() const;
    /// Makes a transparent fill in PDF blend by the darker colour, so layers do not add up.
    void layer_blend(cairo_t* cr, bool transparent) const;
    cairo_pattern_t* hatch_pattern(int id, const Rgb& colour);
    /// ESC*c#W: a user-defined pattern for the current pattern ID.
    void download_pattern(const std::string& data, long long offset);
    /// ESC*c#Q: deletes patterns or makes the current one temporary or permanent.
    void pattern_control(int op);
    /// The downloaded pattern `id` in `colour` (its one bits) or the palette (a colour
    /// pattern); nullptr when there is none.
    cairo_pattern_t* user_pattern(int id, const Rgb& colour);
    /// From the user space now in effect to the logical page, where pattern cells are counted.
    cairo_matrix_t user_to_logical() const;
    Rgb palette_colour(long index) const;

    // The print model (print_model.cpp)
    /// The current logical operation's action on a source dot of ink or paper.
    RopAction rop_for(bool source_ink);
    /// Sets the source of a mark whose logical operation does not draw it in its own
    /// colour; false when it does (the mark's own source then).
    bool rop_source(cairo_t* cr);
    /// The pixel a raster dot of ink (`ink`) or paper puts over the page, 0 for none.
    std::uint32_t rop_pixel(bool source_ink, std::uint32_t ink);

    // Raster graphics (raster.cpp)
    void raster_start(int mode);
    void raster_row(const std::string& data);
    void raster_adaptive(const std::string& data);
    /// A colour plane of the row (ESC*b#V), or its last plane (ESC*b#W once planes came).
    void raster_plane(const std::string& data, bool last);
    void raster_pixels(const std::vector<std::uint8_t>& bytes);
    void raster_skip_rows(double rows);
    void raster_move_to(double y);
    void raster_end();
    void raster_flush();
    void raster_flush_mask(cairo_t* cr, int w);
    /// Moves and scales `cr` so that a strip's pixel (x, row) is at (x, row) of the image.
    void raster_place(cairo_t* cr);

    // Macros (pcl.cpp)
    void macro_control(int op, Input& in, int depth);
    void run_macro(int id, int depth, bool call);

    // HP-GL/2 (hpgl.cpp)
    void hpgl_run(Input& in, int mode, long long offset);
    void hpgl_reset();
    void hpgl_default_frame();
    // P1 at the picture frame's corner and P2 at its far corner, in plotter units.
    void frame_scaling_points();
    bool hpgl_instruction(Input& in, char a, char b, long long offset);
    Point plotter_to_page(double x, double y) const;
    /// The plotter units of a point of the page (logical points), RO taken into account.
    void page_to_plotter(double px, double py, double& x, double& y) const;
    /// The frame's width and height in plotter units along the rotated axes.
    void rotated_frame(double& w, double& h) const;
    void user_to_plotter(double ux, double uy, double& px, double& py) const;
    void plotter_to_user(double px, double py, double& ux, double& uy) const;
    void hpgl_line_to(double px, double py);
    void hpgl_arc(double cx_user, double cy_user, double sweep, double chord);
    void hpgl_polygon_path(cairo_t* cr);
    void hpgl_fill_polygon(bool even_odd);
    void hpgl_edge_polygon();
    /// How far (device pixels) raster images move up and left so sampling ties go to the
    /// later dot.
    double tie_shift() const;
    void hpgl_rectangle(double x2, double y2, bool fill);
    // Fills (hpgl_fills.cpp)
    /// Strokes the hatch lines of fill type 3 or 4 across the clip.
    void hpgl_hatch(cairo_t* cr, const Rgb& colour);
    /// WG (fill) and EW (edge): a slice of a circle round the pen, angles in degrees.
    void hpgl_wedge(double radius, double start, double sweep, double chord, bool fill);
    void hpgl_label(const std::string& text);
    Rgb pen_colour(int pen) const;
    cairo_pattern_t* hpgl_fill_source(const Rgb& colour);
    double pen_width_pt() const;

    Device& device_;
    FontCache& fonts_;
    InkedFaces inked_;  ///< text on pixels
    Problems& problems_;
    cairo_t* cr_ = nullptr;  ///< current page, nullptr until something is drawn
    bool marked_ = false;
    long long offset_base_ = 0;         ///< offset of the source being read (macros: the caller's)
    const Input* top_input_ = nullptr;  ///< the job itself, not a macro
    long long offset_now_ = 0;

    // Page
    double paper_w_ = 595.276, paper_h_ = 841.89;  ///< points
    double offset_portrait_ = 0, offset_landscape_ = 0;
    int orientation_ = 0;
    cairo_matrix_t logical_to_device_{1, 0, 0, 1, 0, 0};  ///< logical page to device space
    int copies_ = 1;
    double top_margin_ = kDefaultTopMargin;
    double left_margin_ = 0;
    double units_per_inch_ = 300;
    double resolution_ = 600;                         ///< dots per inch, as PJL set it
    double registration_x_ = 0, registration_y_ = 0;  ///< &l#U, &l#Z in points

    // Cursor (logical points)
    double x_ = 0, y_ = 0;
    double vmi_ = 12;
    double hmi_override_ = -1;
    int line_termination_ = 0;
    bool wrap_ = false;  ///< &s0C: text wraps at the right edge of the logical page  ///< &k#G: 1
                         ///< CR adds LF, 2 LF and FF add CR, 3 both
    std::vector<Point> cursor_stack_;

    // Font
    FontRequest font_;
    double pitch_ = 10, height_ = 12;
    bool underline_ = false;
    double underline_start_ = 0;
    const ActiveFont* active_ = nullptr;
    bool font_dirty_ = true;

    // Downloaded fonts
    SoftFonts soft_;
    int font_id_ = 0;             ///< *c#D
    unsigned char_code_ = 0;      ///< *c#E
    int soft_primary_ = -1;       ///< downloaded primary font, -1 none
    int soft_secondary_ = -1;     ///< downloaded secondary font, -1 none
    bool primary_by_id_ = false;  ///< chosen by (#X: attributes do not choose again
    bool shifted_out_ = false;    ///< SO: the secondary font prints
    // The attributes and fonts the last match by attributes was made for.
    struct SoftMatch {
        std::uint64_t generation = ~std::uint64_t{0};
        FontRequest request;
        double pitch = 0, height = 0;
    } soft_match_;

    // Text run being collected
    std::vector<cairo_glyph_t> glyphs_;
    std::vector<cairo_text_cluster_t> clusters_;
    std::string utf8_;
    double run_size_ = 0;
    cairo_font_face_t* run_face_ = nullptr;
    double run_x_scale_ = 1;  ///< the run's glyphs drawn this much narrower
    double run_y_scale_ = 1;  ///< and this much taller
    unsigned utf8_pending_ = 0;
    int utf8_needed_ = 0;
    double last_advance_ = 0;

    // Colour and patterns
    std::vector<Rgb> palette_;
    std::vector<std::vector<Rgb>> palette_stack_;
    Rgb foreground_;
    int pattern_ = 0;  ///< *v#T
    int area_id_ = 0;  ///< *c#G
    struct UserPattern {
        int width = 0, height = 0;
        double cell_x = 0, cell_y = 0;  ///< points a pattern dot covers
        bool colour = false;            ///< cells index the palette; else 1 is ink, 0 paper
        bool permanent = false;
        std::vector<std::uint8_t> cells;
    };
    std::map<int, UserPattern> user_patterns_;
    std::size_t user_pattern_bytes_ = 0;
    std::string job_start_;  ///< the job's first bytes
    bool source_transparent_ = true;
    bool pattern_transparent_ = true;
    int rop_ = 252;  ///< *l#O logical operation
    double rule_w_ = 0, rule_h_ = 0;
    double palette_work_[3] = {0, 0, 0};  ///< *v#A, #B, #C before *v#I
    int pixel_bits_ = 1;
    bool indexed_by_pixel_ = false;

    // Raster
    bool raster_on_ = false;
    double raster_res_ = 75;
    int raster_width_ = 0;
    int raster_height_ = 0;
    int compression_ = 0;
    double raster_x_ = 0, raster_y_ = 0;
    int raster_presentation_ = 0;                         ///< *r#F: 3 rows along the sheet's width
    double raster_dest_w_ = 0, raster_dest_h_ = 0;        ///< *t#H, *t#V in points, 0 unset
    double raster_step_x_ = 0.24, raster_step_y_ = 0.24;  ///< points per pixel and per row
    double raster_anchor_y_ = 0;                          ///< where the first row went
    int raster_rows_ = 0;
    std::vector<std::uint8_t> seed_;
    std::vector<std::vector<std::uint8_t>> planes_;       ///< the row's planes so far
    std::vector<std::vector<std::uint8_t>> plane_seeds_;  ///< seed row of each plane
    std::vector<std::uint32_t> strip_;
    int strip_w_ = 0, strip_rows_ = 0;
    int strip_used_ = 0;      ///< pixels from the left that hold marks
    bool strip_mono_ = true;  ///< every mark of the strip is `strip_ink_`, no paper
    std::uint32_t strip_ink_ = 0;
    double strip_y_ = 0;

    // Macros
    struct Macro {
        std::string body;
        bool permanent = false;  ///< survives a reset
    };
    std::map<int, Macro> macros_;
    std::size_t macro_bytes_ = 0;
    int macro_id_ = 0;
    bool defining_ = false;
    std::string definition_;
    int overlay_ = -1;
    bool in_overlay_ = false;

    // HP-GL/2
    Hpgl gl_;
    double frame_x_ = 0, frame_y_ = 0;  ///< anchor, logical points
    double frame_w_ = 0, frame_h_ = 0;  ///< points
};

}  // namespace morvel::render
