#pragma once
// The BARCODE statement of printer reformat programs.
#include <string_view>

namespace morvel {

struct Run;
struct Statement;
struct BarcodeStatement;
enum class BarcodeType : int;
class PclOut;

/// The evaluated parameters of one BARCODE statement, after the range rules.
struct BarcodeParameters {
    int x = 0;  ///< with X_SHIFT
    int y = 0;  ///< with Y_SHIFT and the base y
    int height = 0;
    int thickness = 3;     ///< module; PDF417 columns; four-state minimum bar count
    double ratio = 2.5;    ///< wide-to-narrow ratio, 1..5
    int resolution = 75;   ///< PDF417 raster resolution
    int checksum_pos = 0;  ///< EAN-13 extra digits; PDF417 error-correction level
    bool trim = true;      ///< remove trailing blanks and tabs from the data
};

/// Evaluates every parameter except the data, in the statement's order.
BarcodeParameters evaluate_barcode_parameters(Run& run, const BarcodeStatement& s, int base_y);
/// Calls the encoder of type; its status (positive: failed and reported).
int draw_barcode(Run& run, BarcodeType type, const BarcodeParameters& p, std::string_view data,
                 PclOut& out);
/// BARCODE: draws one symbol into out at the statement's position (shifted, and moved
/// down by base_y); advance grows by the evaluated height.
void execute_barcode(Run& run, const Statement& st, PclOut& out, int base_y, double& advance);

}  // namespace morvel
