#include "language/token_walk.h"

#include "language/parse_error.h"
#include "language/scanner_impl.h"
#include "run.h"

namespace morvel {

std::vector<Token> scan_tokens(const std::string& text) {
    std::vector<Token> tokens;
    Run run;
    CheckSink quiet;  // lexical messages are the check's to report, not the walk's
    run.check = &quiet;
    run.current_line = 1;
    ScanInput in;
    in.data = text;
    for (;;) {
        std::size_t before = in.pos;
        try {
            Lexed l = lex_one(run, in);
            if (l.kind == LexKind::InputEnd) break;
            // The name after a directive is a string token like any other.
            if (l.kind == LexKind::Token) tokens.push_back(std::move(l.token));
        } catch (const CompileAbort&) {
            if (run.scanner.fatal_exit || in.pos == before) break;
        }
    }
    return tokens;
}

}  // namespace morvel
