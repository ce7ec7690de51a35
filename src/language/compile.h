#pragma once
// The two compile passes and the steps between them.
#include <string_view>

namespace morvel {

struct Run;

int compile_pass(Run& run, int pass);
bool prepare_identifiers(Run& run);
bool override_invocation(Run& run, std::string_view word);

}  // namespace morvel
