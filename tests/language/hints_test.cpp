// Hints: each is one information line right after the fixed message it explains.
#include "language/hints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compile_support.h"

namespace morvel {
namespace {

using test::Compiled;

const std::string kExtract = "[EXTRACT] default_extract = { FIELD = 1, 1, 10, name }\n";

// A definition whose reformat program holds `settings` and `body`.
std::string with_reformat(const std::string& settings, const std::string& body = "") {
    return kExtract +
           "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = rp\n"
           "[REFORMAT] REFORMAT = rp, hp {\n SETTINGS = {\n" +
           settings + "\n }\n" + body + "\n}\n";
}

TEST(Hints, FollowTheirFixedMessage) {
    struct Case {
        const char* name;
        std::string text;
        std::string fixed;  // the fixed message line, as before
        std::string hint;   // the line right after it
    };
    const Case cases[] = {
        {"reserved word as a field name",
         "[EXTRACT] default_extract = {\n FIELD = 1, 1, 10, line\n}\n",
         "Missing identifier at line 2 of test.def",
         "LINE is a reserved word; choose another name"},
        {"misspelt setting", with_reformat(" ORIENTATON = LANDSCAPE"),
         "Missing } at line 5 of test.def",
         "ORIENTATON is not a setting or statement known here; did you mean ORIENTATION?"},
        {"word near nothing known", with_reformat(" ZQXJ = 1"), "Missing } at line 5 of test.def",
         "ZQXJ is not a setting or statement known here"},
        {"orientation word", with_reformat(" ORIENTATION = SIDEWAYS"),
         "Invalid value at line 5 of test.def",
         "SIDEWAYS is not allowed here; ORIENTATION takes PORTRAIT, LANDSCAPE or a whole number"},
        {"number setting", with_reformat(" PAGE_WIDTH = wide"),
         "Invalid value at line 5 of test.def",
         "wide is not allowed here; PAGE_WIDTH takes a whole number"},
        {"lines per page out of range",
         "[EXTRACT] default_extract = { LINES_PER_PAGE = 301\n FIELD = 1, 1, 10, name }\n"
         "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = INVOKE\n",
         "Invalid value at line 1 of test.def",
         "301 is not allowed here; LINES_PER_PAGE takes a whole number from 1 to 300"},
        {"colour", with_reformat(" HP_FONT = f, 0, courier, 10, NORMAL, COLOUR: PINK"),
         "Invalid value at line 5 of test.def",
         "PINK is not allowed here; allowed: BLACK, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, "
         "WHITE or a palette index"},
        {"barcode type", with_reformat("", " BARCODE = qr, 1, 1, 10,,,,,, \"1\""),
         "Invalid value at line 7 of test.def",
         "qr is not allowed here; allowed: bar128a, bar128b, bar128c, code39, ean8, ean13, upce, "
         "i25, pdf417 or aus4state"},
        {"unknown typeface", with_reformat(" HP_FONT = default_hp_font, 0, HELVETICA, 10, NORMAL"),
         "Couldnt find definition of HELVETICA at line 5",
         "HELVETICA is not a typeface Morvel knows; the typefaces known are COURIER, TIMES and "
         "UNIVERS, or give a PCL typeface number"},
        {"position in millimetres",
         with_reformat(" ORIENTATION = PORTRAIT", " FIELD = 20mm, 1R,,, name"),
         "Missing , at line 7 of test.def",
         "Positions are numbers in dots at the program's resolution (300 per inch by default): "
         "20mm is 236 dots at 300 per inch"},
        {"position in inches, resolution set",
         with_reformat(" RESOLUTION = 600", " FIELD = 1, 2in,,, name"),
         "Missing , at line 7 of test.def",
         "Positions are numbers in dots at the program's resolution (300 per inch by default): "
         "2in is 600 dots at 300 per inch"},
        {"position as an expression",
         with_reformat(" ORIENTATION = PORTRAIT", " FIELD = 100+50, 1R,,, name"),
         "Missing , at line 7 of test.def",
         "Positions are numbers in dots at the program's resolution (300 per inch by default), "
         "written without a unit or an expression; a variable may stand instead"},
        {"mask calls a program with no reformat section",
         kExtract +
             "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = slip\n",
         "Couldnt find definition of slip at line 2",
         "slip is called in a MASK of test.def, which has no [REFORMAT] section: add one with the "
         "program REFORMAT = slip"},
        {"mask calls a program the reformat section lacks",
         kExtract +
             "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = slip\n"
             "[REFORMAT] REFORMAT = rp, hp { }\n",
         "Couldnt find definition of slip at line 2",
         "slip is called in a MASK of test.def, but its [REFORMAT] section has no program "
         "REFORMAT = slip"},
    };
    for (const Case& k : cases) {
        Compiled d(k.text);
        std::string messages = d.messages();
        std::size_t at = messages.find(k.fixed + "\n");
        EXPECT_NE(at, std::string::npos) << k.name << "\n--- got:\n" << messages;
        if (at == std::string::npos) continue;
        EXPECT_EQ(messages.substr(at + k.fixed.size() + 1, k.hint.size() + 1), k.hint + "\n")
            << k.name << "\n--- got:\n"
            << messages;
        EXPECT_NE(d.result == 0 && d.run().MEMORY_ERROR == 0, true) << k.name;
    }
}

TEST(Hints, NoHintWhereNothingWasMistaken) {
    // A name that is no keyword, and a closing brace where one belongs, say nothing more.
    Compiled d(with_reformat(" ORIENTATION = LANDSCAPE", " FIELD = 1, 1,,, name"));
    EXPECT_TRUE(d.ok()) << d.messages();
    EXPECT_EQ(d.messages().find("reserved word"), std::string::npos);
    EXPECT_EQ(d.messages().find("known here"), std::string::npos);
}

TEST(Hints, NearestWords) {
    struct Case {
        const char* word;
        std::vector<std::string> expected;
    };
    const std::vector<std::string> known = {"ORIENTATION", "LINE_HEIGHT", "PAGE_WIDTH",
                                            "PAGE_HEIGHT", "TRIM",        "PAD"};
    const Case cases[] = {
        {"orientaton", {"ORIENTATION"}},   // a letter left out, any letter case
        {"ORIETNATION", {"ORIENTATION"}},  // two letters swapped
        {"PAGE_HIGHT", {"PAGE_HEIGHT"}},
        {"PAGE_WEIGHT", {"PAGE_HEIGHT"}},  // nearer than PAGE_WIDTH
        {"PAX", {"PAD"}},
        {"TRAM", {"TRIM"}},
        {"XYZ", {}},  // a short word gets one slip only
        {"COLOURFUL", {}},
    };
    for (const Case& k : cases) EXPECT_EQ(nearest_words(k.word, known), k.expected) << k.word;
    EXPECT_EQ(edit_distance("abc", "ACB"), 1);
    EXPECT_EQ(edit_distance("", "abc"), 3);
}

TEST(Hints, ReservedWordsAreTheKeywords) {
    std::vector<std::string> words = reserved_words();
    for (const std::string& w : words) EXPECT_EQ(w.find_first_of("[]:"), std::string::npos) << w;
    for (const char* w : {"LINE", "TOTAL", "ORIENTATION", "LANDSCAPE"})
        EXPECT_NE(std::find(words.begin(), words.end(), w), words.end()) << w;
}

}  // namespace
}  // namespace morvel
