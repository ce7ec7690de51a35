#pragma once
// Run-wide CSV preferences, set by "#uses" lines of the definition.

namespace morvel {

/// "*CSV_DEFAULT_DELIMITER=..." and "*CSV_AUTO_TRIM=..." of the definition.
struct CsvPreferences {
    char delimiter = ',';  ///< separator of the list functions and CHANGE
    int auto_trim = 0;     ///< non-zero: list items lose their outer blanks
};

}  // namespace morvel
