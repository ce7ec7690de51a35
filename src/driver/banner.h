#pragma once
// The start banner written to the log before the compile.
#include <ctime>
#include <string>

namespace morvel {

struct Run;

/// A name centred in the 65-character frame, or alone when it is 63 characters or longer.
std::string banner_line(const std::string& text);
/// The 24-character local date and time of the banner ("Tue Dec  8 19:34:12 2026").
std::string banner_time(std::time_t when);
/// Writes the six banner lines as information messages.
void write_banner(Run& run, std::time_t when);

}  // namespace morvel
