#pragma once
// A parse error reports its message and abandons the whole compile pass: the one
// non-local exit of the program, caught only where the pass starts.

namespace morvel {

struct Run;

/// Thrown by parse_error and caught only at the start of a compile pass.
struct CompileAbort {};

/// Reports message through report_error at level (1 = with position) and abandons the pass.
[[noreturn]] void parse_error(Run& run, int level, const char* message);

}  // namespace morvel
