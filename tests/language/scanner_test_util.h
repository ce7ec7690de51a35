#pragma once
// Shared by the scanner tests: a definition in a temporary file, scanned to the end.
#include <string>

#include "language/parse_error.h"
#include "language/scanner.h"
#include "run.h"
#include "test_support.h"

namespace morvel::test {

/// A token as "code" or "code'text'", so token sequences compare as one string.
inline std::string show_token(const Token& t) {
    std::string s = std::to_string(static_cast<int>(t.code));
    if (token_has_text(t.code)) s += "'" + t.text + "'";
    return s;
}

/// The remaining tokens of the pass, blank-separated, up to the end token; a pass
/// abandoned by a parse error or a fatal stop ends with "<abort>".
inline std::string scan_rest(Run& run) {
    std::string out;
    try {
        for (int n = 0; n < 100000; ++n) {
            Token t = next_token(run);
            out += show_token(t);
            if (t.code == Tok::END) return out;
            out += ' ';
        }
        out += "<runaway>";
    } catch (const CompileAbort&) {
        out += "<abort>";
    }
    return out;
}

/// A captured run whose definition "job.def" holds `text`, with pass 1 started.
struct ScanJob {
    CapturedRun c;
    explicit ScanJob(const std::string& text) {
        c.run.scanner.definition_path = c.dir.write("job.def", text);
        c.run.options.definition_name = "job.def";
        started = scanner_start_pass(c.run, 1);
    }
    std::string rest() { return scan_rest(c.run); }
    bool started = false;
};

}  // namespace morvel::test
