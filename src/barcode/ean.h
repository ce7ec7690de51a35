#pragma once
// EAN-8, EAN-13 and UPC-E retail symbols of fixed size (module 4 dots) with their
// human-readable digits.
#include <optional>
#include <string>
#include <string_view>

namespace morvel {

struct Run;
class PclOut;

/// The check digit of a digit string (its last digit is the one at the odd position).
int ean_check_digit(std::string_view digits);
/// The six UPC-E digits of an 11-digit UPC-A number with number system 0, and the
/// status: 0 compressed, 3 refused with "UPC-E : type %d, illegal char 5\n", 4 no rule
/// fits (no message).
struct UpcECompression {
    std::string digits;
    int status = 0;
};
UpcECompression compress_upce(Run& run, std::string_view upca);

/// EAN-8 of 7 or 8 digits (the 8th is replaced by the check digit) at (x, y).
/// 0 drawn, 1 wrong length, 2 non-digit (each after its warning; nothing drawn).
int encode_ean8(Run& run, PclOut& out, int x, int y, std::string_view data, bool colour);
/// EAN-13 of 12 or 13 digits; checksum_pos bits 1, 2 and 4 add the check digit left, the
/// leading digit left, the check digit right. 0 drawn, 1 wrong length, 2 non-digit.
int encode_ean13(Run& run, PclOut& out, int x, int y, std::string_view data, int checksum_pos,
                 bool colour);
/// UPC-E from an 11- or 12-digit UPC-A number (a 12th digit is ignored). 0 drawn,
/// 1 wrong length, 2 non-digit, 3 refused with a message, 4 not compressible.
int encode_upce(Run& run, PclOut& out, int x, int y, std::string_view data, bool colour);

}  // namespace morvel
