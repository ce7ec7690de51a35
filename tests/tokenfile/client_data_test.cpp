#include "tokenfile/client_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver/run_sequence.h"
#include "test_support.h"

namespace morvel {
namespace {

constexpr long kAny = -999;  // a reference number the test does not pin down

using test::run_job;

std::vector<std::int32_t> words_of(const std::string& file, std::size_t from, std::size_t count) {
    std::vector<std::int32_t> w(count);
    if (from + 4 * count <= file.size()) std::memcpy(w.data(), file.data() + from, 4 * count);
    return w;
}

const char* kDefinition =
    "[INPUT]\n{ REPEAT { ext } }\n"
    "[EXTRACT]\next = { FIELD = 1, 1, 6, word }\n"
    "[OUTPUT]\nOUTPUT = out INVOCATION = \"true\" PARAMETERS = OUTPUT_FILE MASK = { }\n";

TEST(ClientData, HeaderAndProgramSection) {
    test::TempDir dir;
    std::string def = dir.write("job.def", kDefinition);
    std::string prn = dir.write("job.prn", "apples\n");
    std::string cdf = dir.file("job.cdf");
    ASSERT_EQ(run_job(dir, {"-a", cdf, def, prn}), 0);
    std::string file = test::read_file(cdf);
    ASSERT_GT(file.size(), 64u);
    std::vector<std::int32_t> h = words_of(file, 0, 16);
    EXPECT_EQ(h[0], 143);
    EXPECT_EQ(h[2], 0);
    // No expressions, operands, parameters, forms, include files or font overrides.
    for (int empty : {6, 7, 8, 9, 10, 12}) EXPECT_EQ(h[empty], 0) << empty;
    for (int table : {3, 15, 14, 11, 13, 5, 4}) EXPECT_GT(h[table], 63) << table;
    EXPECT_TRUE(h[3] < h[15] && h[15] < h[14] && h[14] < h[11] && h[11] < h[13] && h[13] < h[5] &&
                h[5] < h[4]);
    EXPECT_EQ(file.substr(file.size() - 4), std::string(4, '\0'));
    std::string strings = file.substr(static_cast<std::size_t>(h[4]));
    for (const char* s : {"ext", "out", "word", "true"})
        EXPECT_NE(strings.find(std::string(s) + '\0'), std::string::npos) << s;
    EXPECT_NE(strings.find(def + '\0'), std::string::npos);

    const long expected[] = {
        0,                                      // input program: source index
        4,  1, 0, 0,    0,  0,    1,  0,        // REPEAT #1: BY, STARTS, ENDS, inclusive, 0
        3,  2, 0, 3,                            //   ext #2 calls extract program #3
        2,  0,                                  //   end of the body
        2,  0, 0, 0,    0,                      // end of the input program
        8,  3, 0, kAny, 66, 0,    0,  8, 0,     // ext: lines, bytes, discard, tab, last_of_doc
        9,  4, 0, kAny, 2,  0,                  //   FIELD #4 of field word
        7,  0, 0,                               // end of the extract programs
        -1, 2, 0, 47,   0,  0,                  // no delivery program
        13, 5, 0, kAny, 14, kAny, 19, 5, 2, 0,  // out: name, invocation with its own file
        0,  0, 0, 0,    0,  0,    0,  0, 2, 0,  //   seven settings, warning level, MASK
        12, 0, 0, 34,   0,  0};                 // no reformat programs
    std::vector<std::int32_t> w =
        words_of(file, static_cast<std::size_t>(h[3]), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i)
        if (expected[i] != kAny) {
            EXPECT_EQ(w[i], expected[i]) << "word " << i;
        }

    // From a token file, header word 2 says so; execute-only ones are refused earlier.
    std::string tok = dir.file("job.tok");
    ASSERT_EQ(run_job(dir, {"-t", tok, def, prn}), 0);
    ASSERT_EQ(run_job(dir, {"-a", cdf, tok, prn}), 0);
    EXPECT_EQ(words_of(test::read_file(cdf), 0, 3)[2], 1);
}

// Records of a fixed-size table by their numbers, up to the closing word 0.
std::map<std::int32_t, std::vector<std::int32_t>> table(const std::string& file, std::int32_t at,
                                                        std::size_t size) {
    std::map<std::int32_t, std::vector<std::int32_t>> records;
    for (auto pos = static_cast<std::size_t>(at); at != 0; pos += 4 * size) {
        std::vector<std::int32_t> r = words_of(file, pos, size);
        if (r[0] == 0) break;
        records[r[0]] = r;
    }
    return records;
}

TEST(ClientData, EveryReferenceOfTheTablesResolves) {
    test::TempDir dir;
    std::string def = dir.write(
        "job.def",
        "[INPUT]\n{ VARIABLE = n, string, \"1\" LET n = SUBSTRING(\"abc\", n + 1, 2 * (n - 1))\n"
        "  CASE n { OF 1 OF 2 : DEBUG n DEFAULT : CALL n } REPEAT { ext } }\n"
        "[EXTRACT]\next = { FIELD = 1, 1, 6, word COLON_FIELD = \"No\", number }\n"
        "[OUTPUT]\nOUTPUT = out INVOCATION = \"true\" PARAMETERS = OUTPUT_FILE MASK = { layout }\n"
        "[REFORMAT]\nREFORMAT = layout, text { FIELD = 0, 0, , , word\n"
        "  MESSAGE = 0, 1, , , STRCAT(number, \"x\") IF NUM_LINES(word) > 1 THEN { EJECT_PAGE } "
        "}\n");
    std::string prn = dir.write("job.prn", "apples\n");
    ASSERT_EQ(run_job(dir, {"-a", dir.file("job.cdf"), def, prn}), 0);
    std::string file = test::read_file(dir.file("job.cdf"));
    std::vector<std::int32_t> h = words_of(file, 0, 16);
    auto expressions = table(file, h[6], 5), operands = table(file, h[7], 4),
         parameters = table(file, h[8], 3), values = table(file, h[5], 3),
         variables = table(file, h[11], 9);
    std::set<std::int32_t> strings;
    for (auto pos = static_cast<std::size_t>(h[4]); pos + 4 <= file.size();) {
        std::int32_t n = words_of(file, pos, 1)[0];
        if (n == 0) break;
        strings.insert(n);
        pos = file.find('\0', pos + 4) + 1;
    }
    EXPECT_EQ(expressions.size(), 11u);  // nested ones and argument entries included
    auto resolves = [](const auto& in, std::int32_t n) { return n == 0 || in.count(n) > 0; };
    for (const auto& [n, e] : expressions)
        EXPECT_TRUE(resolves(operands, e[2]) && resolves(operands, e[3]) &&
                    resolves(parameters, e[4]))
            << n;
    for (const auto& [n, o] : operands)
        EXPECT_TRUE(resolves(values, o[2]) && resolves(expressions, o[3]) &&
                    (o[2] != 0) != (o[3] != 0))
            << n;
    for (const auto& [n, p] : parameters)
        EXPECT_TRUE(expressions.count(p[1]) && resolves(parameters, p[2])) << n;
    for (const auto& [n, v] : values)
        EXPECT_TRUE(v[1] == 5 ? strings.count(v[2]) > 0 : variables.count(v[2]) > 0) << n;
}

TEST(ClientData, Failures) {
    test::TempDir dir;
    std::string prn = dir.write("job.prn", "apples\n");
    std::filesystem::create_symlink("/dev/full", dir.file("full.cdf"));  // a full disk
    const struct {
        const char* definition;
        std::string file;
        const char* message;
    } cases[] = {
        {kDefinition, dir.file("none/job.cdf"), "Unable to open client dat file"},
        {kDefinition, dir.file("full.cdf"), "Unable to write value to client dat file"},
        {"[INPUT]\n{ TAB = 4 REPEAT { ext } }\n[EXTRACT]\next = { FIELD = 1, 1, 6, word }\n"
         "[OUTPUT]\nOUTPUT = out INVOCATION = \"true\" PARAMETERS = OUTPUT_FILE MASK = { }\n",
         dir.file("job.cdf"), "Unknown input statement type\n"},
    };
    for (const auto& c : cases) {
        std::string def = dir.write("job.def", c.definition);
        std::string log;
        EXPECT_EQ(run_job(dir, {"-a", c.file, def, prn}, &log), 1);
        EXPECT_NE(log.find(c.message), std::string::npos) << log;
    }
}

}  // namespace
}  // namespace morvel
