#pragma once
// Images printed as raster graphics: FORM statements and the macro forms of SETTINGS.
#include <string>

#include "reformat/image_raster.h"

namespace morvel {

struct Run;
struct Statement;
struct ReformatProgram;
class PclOut;

/// FORM: prints an image file at the statement's position (printer kind only).
int execute_form(Run& run, const Statement& st, PclOut& out, int base_y, double& advance);

/// Downloads the program's macro forms once, at job set-up of a printer output file.
/// A form whose name or position is unusable stops the list; failures are reported
/// (and so flagged), the result is 0.
int download_macro_forms(Run& run, ReformatProgram& program, PclOut& out);

/// Prints the image file name as raster graphics as the request says: 0, or -1 when
/// nothing was drawn (an unknown type or an image kind not printed draws nothing
/// without a message).
int print_form(Run& run, PclOut& out, FormRequest form, const std::string& name);

}  // namespace morvel
