#include "reformat/forms.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "language/tree.h"
#include "reformat/image_raster.h"
#include "reformat/image_reader.h"
#include "reformat/job_setup.h"
#include "run.h"
#include "values/value.h"

namespace morvel {

namespace {

int clamp_int(long v) {
    return static_cast<int>(std::clamp<long>(v, INT_MIN / 2, INT_MAX / 2));
}

// Works out the output width, the left crop and the rows to skip from the flags and
// the printable area of the settings file.
void plan_geometry(Run& run, FormRequest& form, const GraphicImage& image) {
    const long width = image.width;
    const long resolution = form.resolution;
    form.output_width = image.width;
    form.image_height = image.height;
    form.left_crop = 0;
    form.rows_to_skip = 0;
    if (form.flags & kFormFitWidth) {
        long target = run.settings.printable_width * resolution / 300;
        if (target >= 1 && target < width)
            form.output_width = static_cast<int>(target);
        else
            form.flags &= ~kFormFitWidth;
    }
    if (form.flags & kFormCentreX) {
        long crop = (form.output_width - run.settings.printable_width * resolution / 300) / 2;
        crop = std::max(crop, 0L);
        if (crop % 8) crop += 8 - crop % 8;
        form.left_crop = static_cast<int>(std::min<long>(crop, form.output_width));
    }
    if (form.flags & kFormCentreY) {
        long skip = (image.height - run.settings.printable_height * resolution / 300) / 2;
        form.rows_to_skip = static_cast<int>(std::max(skip, 0L));
    }
}

}  // namespace

int print_form(Run& run, PclOut& out, FormRequest form, const std::string& name) {
    if (name.empty()) {
        report_error(run, 0, "Unable to open graphic file as no name given");
        return -1;
    }
    GraphicImage image;
    if (!open_graphic_image(run, image, name)) return -1;
    const bool colour_rows = image.bits_per_pixel == 8 && form.colour;
    plan_geometry(run, form, image);
    if (colour_rows)
        write_colour_raster_start(run, out, form, image.palette, image.width);
    else
        write_mono_raster_start(run, out, form);

    std::vector<std::uint8_t> row, bits, shrunk, coded;
    std::vector<int> weights;
    const bool compress = form.flags & kFormCompress;
    const bool invert = form.flags & kFormInvert;
    int skip = form.rows_to_skip;
    while (read_image_row(run, image, row)) {
        if (skip > 0) {
            --skip;
            continue;
        }
        if (colour_rows) {
            send_raster_row(out, row, compress, coded);
            continue;
        }
        std::vector<std::uint8_t>* mono = &row;
        if (image.bits_per_pixel == 8) {
            convert_to_mono(row, image.palette, bits);
            mono = &bits;
        }
        if (form.flags & kFormFitWidth) {
            shrink_row(*mono, image.width, form.output_width, shrunk, weights);
            mono = &shrunk;
        }
        finish_mono_row(*mono, form.output_width, invert);
        send_raster_row(out, *mono, compress, coded);
    }
    write_raster_end(out, form);
    return 0;
}

int execute_form(Run& run, const Statement& st, PclOut& out, int base_y, double&) {
    const ReformatProgram* program = run.reformat.program;
    if (!program || program->kind != ReformatKind::Printer) return 0;
    const FormDefinition& def = st.as<FormStatement>().form;
    FormRequest form;
    form.x = clamp_int(argument_integer(run, def.x, "FORM(x)"));
    form.y = clamp_int(argument_integer(run, def.y, "FORM(y)"));
    // The cursor mark stays a mark; the program's shifts do not apply to forms.
    if (form.y != kAtCursor) form.y += base_y;
    Text name = operand_text(run, def.name);
    if (!name) {
        report_error(run, 2, "Unable to get the name of a FORM");
        return -1;
    }
    if ((form.x < 0 && form.x != kAtCursor) || (form.y < 0 && form.y != kAtCursor)) {
        report_error(run, 0, "Negative coordinate passed to form command %s", name->c_str());
        return -1;
    }
    form.resolution = clamp_int(argument_integer(run, def.resolution, "FORM(resolution)"));
    form.flags = argument_integer(run, def.flags, "FORM(compression)");
    form.macro_number = -1;
    form.orientation = program->orientation;
    form.colour = colour_on(run, *program) > 0;
    return print_form(run, out, form, *name);
}

int download_macro_forms(Run& run, ReformatProgram& program, PclOut& out) {
    const bool colour = colour_on(run, program) > 0;
    for (const FormDefinition& def : program.macro_forms) {
        FormRequest form;
        form.x = clamp_int(argument_integer(run, def.x, "FORM(x)"));
        form.y = clamp_int(argument_integer(run, def.y, "FORM(y)"));
        Text name = operand_text(run, def.name);
        if (!name) {
            report_error(run, 2, "Unable to get the name of a form");
            return 0;
        }
        if ((form.x < 0 && form.x != kAtCursor) || (form.y < 0 && form.y != kAtCursor)) {
            report_error(run, 0, "Negative coordinate passed to form command %s", name->c_str());
            return 0;
        }
        form.resolution = clamp_int(argument_integer(run, def.resolution, "FORM(resolution)"));
        form.flags = argument_integer(run, def.flags, "FORM(compression)");
        form.macro_number = def.macro_number;
        form.orientation = def.orientation;
        form.colour = colour;
        print_form(run, out, form, *name);
    }
    return 0;
}

}  // namespace morvel
