#pragma once
// The BARCODE statement of printer reformat programs.
namespace morvel {

struct Run;
struct Statement;
class PclOut;

/// BARCODE: draws one symbol into out at the statement's position (shifted, and moved
/// down by base_y); advance grows by the evaluated height.
void execute_barcode(Run& run, const Statement& st, PclOut& out, int base_y, double& advance);

}  // namespace morvel
