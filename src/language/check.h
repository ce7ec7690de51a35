#pragma once
// Checking a definition without running it: both compile passes, every message
// collected with its line and column, the parse going on after each error.
#include <string>

#include "core/check_sink.h"

namespace morvel {

struct CheckRequest {
    std::string path;                   ///< the definition's file, also its name in messages
    const std::string* text = nullptr;  ///< its text when not read from path (unsaved text)
    bool record_names = false;          ///< keep the declarations and uses of names
    std::string log_file;               ///< information lines go here when not empty
};

/// Compiles the definition and returns what the check found. Nothing is written.
CheckSink check_definition(const CheckRequest& request);

}  // namespace morvel
