#pragma once
// Images printed as raster graphics: FORM statements and the macro forms of SETTINGS.
namespace morvel {

struct Run;
struct Statement;
struct ReformatProgram;
class PclOut;

/// FORM: prints an image file at the statement's position.
int execute_form(Run& run, const Statement& st, PclOut& out, int base_y, double& advance);

/// Downloads the program's macro forms once, at job set-up of a printer output file.
int download_macro_forms(Run& run, ReformatProgram& program, PclOut& out);

}  // namespace morvel
