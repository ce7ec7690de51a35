#include "core/ascii.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "language/tokens.h"

namespace morvel {
namespace {

TEST(Ascii, FoldsOnlyAsciiLetters) {
    const struct {
        char in, lower, upper;
    } cases[] = {
        {'A', 'a', 'A'}, {'z', 'z', 'Z'},          {'i', 'i', 'I'},          {'I', 'i', 'I'},
        {'_', '_', '_'}, {'@', '@', '@'},          {'[', '[', '['},          {'`', '`', '`'},
        {'0', '0', '0'}, {'\xdd', '\xdd', '\xdd'}, {'\xfd', '\xfd', '\xfd'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fold_lower(c.in), c.lower) << static_cast<int>(c.in);
        EXPECT_EQ(fold_upper(c.in), c.upper) << static_cast<int>(c.in);
    }
}

// Puts the C locale back when a test ends.
struct CLocaleAtEnd {
    ~CLocaleAtEnd() { std::setlocale(LC_ALL, "C"); }
};

// In a Turkish single-byte locale the C library may fold "I" to a dotless i, which is
// not "i": keywords and settings names must still match as in every other locale.
TEST(Ascii, TurkishLocaleDoesNotChangeMatching) {
    CLocaleAtEnd restore;
    const char* turkish = nullptr;
    for (const char* name : {"tr_TR.ISO-8859-9", "tr_TR.UTF-8"})
        if (std::setlocale(LC_ALL, name)) {
            turkish = name;
            break;
        }
    if (!turkish) GTEST_SKIP() << "no Turkish locale installed (locale-gen tr_TR.UTF-8)";
    EXPECT_TRUE(equal_ignore_case("printer_width", "PRINTER_WIDTH"));
    EXPECT_TRUE(equal_ignore_case("file_exists", "FILE_EXISTS"));
    EXPECT_FALSE(equal_ignore_case("\xfd", "I"));  // dotless i is no letter here
    EXPECT_EQ(folded("LIST_ITEM"), "list_item");
    EXPECT_EQ(keyword_lookup("file_exists"), Tok::FILE_EXISTS);
    EXPECT_EQ(keyword_lookup("Invocation"), keyword_lookup("INVOCATION"));
}

}  // namespace
}  // namespace morvel
