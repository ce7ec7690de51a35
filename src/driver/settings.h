#pragma once
// The optional site settings file "morvel.ini": printable area and auto forms.
#include <string>
#include <vector>

namespace morvel {

struct Run;

/// One auto-form entry: the definition to use when `text` stands at column x of line y.
struct AutoForm {
    std::string definition;
    int x = 0;
    int y = 0;
    std::string text;
};

struct Settings {
    long printable_width = 2360;  ///< dots at 300 dpi
    long printable_height = 3407;
    std::vector<AutoForm> auto_forms;
};

/// Reads the settings file into run.settings; a missing file changes nothing.
void read_settings_file(Run& run, const std::string& path);

}  // namespace morvel
