#include <gtest/gtest.h>

#include "language/scanner_test_util.h"

namespace morvel {
namespace {

using test::bytes;

const char* kDefinition =
    "; invoice job\n"
    "[INPUT]\n"
    "LINES_PER_PAGE = 66\n"
    "{ REPEAT { invoice } }\n"
    "[EXTRACT]\n"
    "invoice { FIELD number = 1, 2, 10 REM the number\n"
    "  LET total = total + 12.50 IF total >= 100 THEN { DEBUG \"big\\x20AC\" } }\n"
    "[OUTPUT]\n"
    "printer { INVOCATION = \"lp -d \" PARAMETERS = { QUOTED } MASK { page } }\n"
    "[REFORMAT]\n"
    "page { SETTINGS { HP_FONT = body } FIELD number ALIGN: right, C 10, R 2 }\n"
    "#include \"%MORVEL_REPLAY_TEST_DIR%/tail.def\"\n"
    "NOTE done\n";

TEST(ScannerReplay, RecordedStreamReplaysTheSameTokens) {
    test::CapturedRun writer;
    writer.dir.write("tail.def", "[DELIVERY] { IF TRUE THEN printer }\n");
    setenv("MORVEL_REPLAY_TEST_DIR", writer.dir.path().c_str(), 1);
    writer.run.scanner.definition_path = writer.dir.write("job.def", kDefinition);
    std::string stream;
    writer.run.scanner.record = &stream;

    ASSERT_TRUE(scanner_start_pass(writer.run, 1));
    std::string scanned = test::scan_rest(writer.run);
    EXPECT_EQ(next_token(writer.run).code, Tok::END);  // the end is recorded once per pass
    std::size_t pass1_size = stream.size();
    ASSERT_TRUE(scanner_start_pass(writer.run, 2));
    EXPECT_EQ(test::scan_rest(writer.run), scanned);
    scanner_finish(writer.run);
    unsetenv("MORVEL_REPLAY_TEST_DIR");

    EXPECT_NE(scanned.find("127'big\xE2\x82\xAC'"), std::string::npos);
    EXPECT_NE(scanned.find("178 9 63 109'1' 131 146'printer' 10"), std::string::npos);
    EXPECT_TRUE(scanned.ends_with("155'done' 0"));
    ASSERT_EQ(stream.size(), 2 * pass1_size);
    EXPECT_EQ(stream.substr(0, pass1_size), stream.substr(pass1_size));
    EXPECT_EQ(stream[pass1_size - 1], '\0');
    // [INPUT] LINES_PER_PAGE = 66 {
    EXPECT_EQ(stream.substr(0, 8), bytes({67, 83, 11, 109, '6', '6', 0, 9}));

    // A run without the source: no file is read, each pass starts at the first token.
    test::CapturedRun reader;
    reader.run.scanner.definition_path = reader.dir.file("gone.def");
    reader.run.scanner.replay = &stream;
    for (int pass = 1; pass <= 2; ++pass) {
        ASSERT_TRUE(scanner_start_pass(reader.run, pass));
        EXPECT_EQ(test::scan_rest(reader.run), scanned) << pass;
        EXPECT_EQ(next_token(reader.run).code, Tok::END);  // never into the second copy
    }
}

TEST(ScannerReplay, TokenBytes) {
    std::string s;
    append_token_bytes(s, Token{Tok::REPEAT, ""});
    append_token_bytes(s, Token{Tok::IDENT, "ab"});
    append_token_bytes(s, Token{Tok::NOMEM, ""});
    append_token_bytes(s, Token{Tok::STRING, std::string("x\0y", 3)});
    append_token_bytes(s, Token{Tok::END, ""});
    EXPECT_EQ(s, bytes({117, 146, 'a', 'b', 0, 255, 127, 'x', 0, 0}));
}

TEST(ScannerReplay, MalformedStreamEndsAsTheEndToken) {
    const struct {
        std::string stream;
        const char* tokens;
    } cases[] = {
        {bytes({9, 10, 0, 9}), "9 10 0"},
        {bytes({146, 'a', 'b', 'c'}), "0"},  // text without its zero byte
        {bytes({9, 124, 9}), "9 0"},         // 124 is no token
        {bytes({9, 219}), "9 0"},            // nor are 219 to 254
        {bytes({255}), "255 0"},             // the out-of-memory token
        {bytes({109, '1', '2', 0, 154, 'x', 0}), "109'12' 154'x' 0"},
        {"", "0"},
    };
    for (const auto& k : cases) {
        test::CapturedRun c;
        c.run.scanner.replay = &k.stream;
        ASSERT_TRUE(scanner_start_pass(c.run, 1));
        EXPECT_EQ(test::scan_rest(c.run), k.tokens);
        EXPECT_EQ(next_token(c.run).code, Tok::END);
        EXPECT_LE(c.run.scanner.replay_pos, k.stream.size());
    }
}

}  // namespace
}  // namespace morvel
