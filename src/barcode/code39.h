#pragma once
// Code 39 symbols framed by the start/stop character, without check character.
#include <string_view>

namespace morvel {

struct Run;
class PclOut;

/// The nine elements (bar first, 'W' wide, 'N' narrow) of a Code 39 character, or an
/// empty view for a character outside the set ("*" is the start/stop character).
std::string_view code39_pattern(char c);
/// Draws data as Code 39 with its top left corner at (x, y); narrow elements are module
/// dots, wide ones module x ratio (fraction dropped). 0 drawn; 1 after "Bad character in
/// Code39 (%c)" for a character outside the set or "*" (nothing drawn).
int encode_code39(Run& run, PclOut& out, int x, int y, int height, int module, double ratio,
                  std::string_view data);

}  // namespace morvel
