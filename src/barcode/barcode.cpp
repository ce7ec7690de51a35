#include "barcode/barcode.h"

#include <algorithm>
#include <climits>
#include <string>

#include "barcode/code128.h"
#include "barcode/code39.h"
#include "barcode/ean.h"
#include "barcode/four_state.h"
#include "barcode/i25.h"
#include "barcode/pdf417.h"
#include "core/messages.h"
#include "language/tree.h"
#include "reformat/job_setup.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/value.h"

namespace morvel {

namespace {

int to_int(long v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// Positions far beyond any page are held at a bound that leaves the encoders room to
// add symbol widths without overflowing.
constexpr long kPositionLimit = 1L << 29;
int to_position(long v) {
    return static_cast<int>(std::clamp(v, -kPositionLimit, kPositionLimit));
}

// The raster resolution a PDF417 ratio selects.
int pdf417_resolution(long ratio) {
    switch (ratio) {
        case 1:
            return 300;
        case 2:
            return 150;
        case 3:
            return 100;
        default:
            return 75;
    }
}

}  // namespace

BarcodeParameters evaluate_barcode_parameters(Run& run, const BarcodeStatement& s, int base_y) {
    BarcodeParameters p;
    const bool pdf417 = s.type == BarcodeType::Pdf417;
    if (s.ratio) {
        long ratio = argument_integer(run, *s.ratio, "BARCODE(ratio)");
        p.resolution = pdf417_resolution(ratio);
        p.ratio = ratio < 1 || ratio > 5 ? 2.0 : static_cast<double>(ratio);
    }
    const ReformatProgram* program = run.reformat.program;
    long x = to_position(argument_integer(run, s.x, "BARCODE(x)"));
    long y = to_position(argument_integer(run, s.y, "BARCODE(y)"));
    if (program) {
        x += program->x_shift;
        y += program->y_shift;
    }
    p.x = to_position(x);
    p.y = to_position(y + base_y);
    p.height = to_int(argument_integer(run, s.height, "BARCODE(height)"));
    long thickness = s.thickness ? argument_integer(run, *s.thickness, "BARCODE(thickness)")
                     : pdf417    ? 8
                                 : 3;
    if (pdf417)
        p.thickness = thickness < 3 || thickness > 99 ? 8 : to_int(thickness);
    else if (s.type == BarcodeType::Aus4State)
        p.thickness = thickness < 1 ? 0 : to_int(thickness);
    else
        p.thickness = thickness < 3 || thickness > 10 ? 3 : to_int(thickness);
    if (s.checksum_pos)
        p.checksum_pos = to_int(argument_integer(run, *s.checksum_pos, "BARCODE(checksum_pos)"));
    if (s.restrict_value) argument_integer(run, *s.restrict_value, "BARCODE(restrict)");
    if (s.trim) p.trim = argument_integer(run, *s.trim, "BARCODE(trim)") != 0;
    return p;
}

int draw_barcode(Run& run, BarcodeType type, const BarcodeParameters& p, std::string_view data,
                 PclOut& out) {
    switch (type) {
        case BarcodeType::Bar128A:
        case BarcodeType::Bar128B:
        case BarcodeType::Bar128C:
            return encode_code128(run, out, p.x, p.y, p.height, p.thickness, static_cast<int>(type),
                                  data);
        case BarcodeType::Code39:
            return encode_code39(run, out, p.x, p.y, p.height, p.thickness, p.ratio, data);
        case BarcodeType::I25:
            return encode_i25(run, out, p.x, p.y, p.height, p.thickness, p.ratio, data);
        case BarcodeType::Ean8:
        case BarcodeType::Ean13:
        case BarcodeType::UpcE: {
            const ReformatProgram* program = run.reformat.program;
            bool colour = program && colour_on(run, *program) > 0;
            if (type == BarcodeType::Ean8) return encode_ean8(run, out, p.x, p.y, data, colour);
            if (type == BarcodeType::Ean13)
                return encode_ean13(run, out, p.x, p.y, data, p.checksum_pos, colour);
            return encode_upce(run, out, p.x, p.y, data, colour);
        }
        case BarcodeType::Pdf417:
            return encode_pdf417(run, out, data, p.x, p.y, p.height, p.thickness, p.checksum_pos,
                                 p.resolution);
        case BarcodeType::Aus4State:
            return encode_four_state(run, out, data, p.thickness, p.x, p.y);
    }
    report_error(run, 2, "Unknown barcode type");
    return 0;
}

void execute_barcode(Run& run, const Statement& st, PclOut& out, int base_y, double& advance) {
    const auto& s = st.as<BarcodeStatement>();
    BarcodeParameters p = evaluate_barcode_parameters(run, s, base_y);
    Text data = evaluate(run, s.data.get());
    if (!data) {
        report_error(run, 2, "Unable to get value for BARCODE");
        return;
    }
    // Evaluation moved the message position to the expressions; the encoders' messages
    // are about the statement.
    run.current_line = st.line;
    if (p.trim) {
        std::size_t end = data->find_last_not_of(" \t");
        data->erase(end == std::string::npos ? 0 : end + 1);
    }
    int status = draw_barcode(run, s.type, p, *data, out);
    advance += p.height;
    if (status > 0) report_warning(run, 2, "Error printing barcode");
}

}  // namespace morvel
