// The manual's examples are run by the real binary, so the manual cannot rot.
//
// A marked example in docs/**/*.md is a fenced block whose info string starts
// with `morvel`, followed (before the next heading or any other fenced block) by
// blocks that belong to it:
//
//   ```morvel [NAME.def] [options...]   the definition; options go before the files
//   ```morvel-fails [NAME.def] [...]    a definition whose run must fail (exit 1)
//   ```spool [NAME]                     the spool (default name spool.txt; empty when absent)
//   ```file NAME                        another input file the job reads
//   ```output NAME [noeol]              the exact bytes NAME must hold after the run
//                                       (noeol: without the block's last line feed)
//   ```log                              lines the log must contain, in this order
//
// Each example runs in a scratch directory holding its files and the samples of
// docs/files/, as `morvel -l job.log [options] NAME.def SPOOL`. It fails when the
// run does not exit 0 (1 for morvel-fails), or an expected output or log line is
// missing. The coverage test asks that every keyword of src/language/tokens.def
// (less the reserved words no statement uses) appears in some marked definition.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace morvel {
namespace {

struct Block {
    std::string info;
    std::string text;
    int line = 0;  // line of the opening fence
};

struct Attached {
    std::string kind;  // spool, file, output or log
    std::string name;
    std::string text;
    int line = 0;
};

// The text of a block, less its last line feed when the marker says noeol.
std::string block_text(const std::vector<std::string>& info, const std::string& text) {
    if (info.size() > 2 && info[2] == "noeol" && !text.empty() && text.back() == '\n')
        return text.substr(0, text.size() - 1);
    return text;
}

struct Example {
    std::string doc;  // path relative to the source tree
    int line = 0;
    bool must_fail = false;
    std::string definition_name = "job.def";
    std::vector<std::string> options;
    std::string definition;
    std::vector<Attached> parts;
    std::string where() const { return doc + ":" + std::to_string(line); }
};

std::vector<std::string> words_of(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

fs::path docs_root() {
    return fs::path(MORVEL_SOURCE_DIR) / "docs";
}

// Reads the examples of one Markdown file. Fences are lines starting with ```;
// headings and unrelated fenced blocks end the blocks attached to an example.
std::vector<Example> examples_in(const fs::path& file) {
    std::vector<Example> found;
    std::ifstream in(file, std::ios::binary);
    std::string rel = fs::relative(file, fs::path(MORVEL_SOURCE_DIR)).string();
    std::string line;
    int number = 0;
    bool open = false, attaching = false;
    Block block;
    while (std::getline(in, line)) {
        ++number;
        if (!open && line.rfind("#", 0) == 0) attaching = false;
        if (line.rfind("```", 0) != 0) {
            if (open) block.text += line + "\n";
            continue;
        }
        if (!open) {
            open = true;
            block = Block{line.substr(3), "", number};
            continue;
        }
        open = false;
        std::vector<std::string> info = words_of(block.info);
        std::string kind = info.empty() ? "" : info[0];
        if (kind == "morvel" || kind == "morvel-fails") {
            Example ex;
            ex.doc = rel;
            ex.line = block.line;
            ex.must_fail = kind == "morvel-fails";
            ex.definition = block.text;
            for (std::size_t i = 1; i < info.size(); ++i) {
                if (i == 1 && info[i].size() > 4 &&
                    info[i].compare(info[i].size() - 4, 4, ".def") == 0)
                    ex.definition_name = info[i];
                else
                    ex.options.push_back(info[i]);
            }
            found.push_back(ex);
            attaching = true;
        } else if (attaching &&
                   (kind == "spool" || kind == "file" || kind == "output" || kind == "log")) {
            found.back().parts.push_back(Attached{kind, info.size() > 1 ? info[1] : "",
                                                  block_text(info, block.text), block.line});
        } else {
            attaching = false;
        }
    }
    return found;
}

std::vector<Example> all_examples() {
    std::vector<Example> all;
    if (!fs::exists(docs_root())) return all;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(docs_root()))
        if (entry.is_regular_file() && entry.path().extension() == ".md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        std::vector<Example> some = examples_in(f);
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

const std::vector<Example>& examples() {
    static const std::vector<Example> all = all_examples();
    return all;
}

// Runs the binary in dir; stdin is empty, a stuck run is killed after a minute.
int run_morvel(const fs::path& dir, const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        int in = open("/dev/null", O_RDONLY);
        int out = open(".console", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        setenv("LANG", "C", 1);
        setenv("TZ", "UTC", 1);
        setenv("VAVIRIRODI", dir.c_str(), 1);
        alarm(60);
        std::vector<std::string> copy = args;
        std::vector<char*> argv;
        std::string program = "morvel";
        argv.push_back(program.data());
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(MORVEL_BINARY, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Each expected line must occur as a whole log line, after the previous one.
std::string missing_log_lines(const std::string& log, const std::string& expected) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    std::size_t at = 0;
    std::istringstream want(expected);
    std::string missing;
    while (std::getline(want, l)) {
        auto it = std::find(lines.begin() + static_cast<std::ptrdiff_t>(at), lines.end(), l);
        if (it == lines.end()) {
            missing += "  " + l + "\n";
        } else {
            at = static_cast<std::size_t>(it - lines.begin()) + 1;
        }
    }
    return missing;
}

class ManualExample : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ManualExample, RunsClean) {
    const Example& ex = examples().at(GetParam());
    test::TempDir scratch;
    const fs::path& dir = scratch.path();
    if (fs::exists(docs_root() / "files"))
        for (const auto& entry : fs::directory_iterator(docs_root() / "files"))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), dir / entry.path().filename());
    scratch.write(ex.definition_name, ex.definition);
    std::string spool_name = "spool.txt";
    bool has_spool = false;
    for (const Attached& part : ex.parts) {
        if (part.kind == "spool") {
            if (!part.name.empty()) spool_name = part.name;
            scratch.write(spool_name, part.text);
            has_spool = true;
        } else if (part.kind == "file") {
            ASSERT_FALSE(part.name.empty()) << ex.doc << ":" << part.line << ": file needs a name";
            scratch.write(part.name, part.text);
        }
    }
    if (!has_spool) scratch.write(spool_name, "");

    std::vector<std::string> args = {"-l", "job.log"};
    args.insert(args.end(), ex.options.begin(), ex.options.end());
    args.push_back(ex.definition_name);
    args.push_back(spool_name);
    int code = run_morvel(dir, args);
    std::string log = test::read_file((dir / "job.log").string());
    std::string console = test::read_file((dir / ".console").string());

    EXPECT_EQ(code, ex.must_fail ? 1 : 0)
        << ex.where() << ": the example " << (ex.must_fail ? "should fail" : "does not run clean")
        << "; its log:\n"
        << log << "console:\n"
        << console;
    for (const Attached& part : ex.parts) {
        std::string where = ex.doc + ":" + std::to_string(part.line);
        if (part.kind == "output") {
            fs::path written = dir / part.name;
            EXPECT_TRUE(fs::exists(written)) << where << ": " << part.name << " was not written";
            EXPECT_EQ(test::read_file(written.string()), part.text)
                << where << ": " << part.name << " differs";
        } else if (part.kind == "log") {
            EXPECT_EQ(missing_log_lines(log, part.text), "")
                << where << ": these log lines are missing; the log:\n"
                << log;
        }
    }
}

// A check of every example that runs clean says nothing and exits 0: the check
// reports no mistake a run does not have.
TEST_P(ManualExample, ChecksClean) {
    const Example& ex = examples().at(GetParam());
    if (ex.must_fail) GTEST_SKIP() << "a definition that must fail";
    test::TempDir scratch;
    const fs::path& dir = scratch.path();
    if (fs::exists(docs_root() / "files"))
        for (const auto& entry : fs::directory_iterator(docs_root() / "files"))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), dir / entry.path().filename());
    scratch.write(ex.definition_name, ex.definition);
    for (const Attached& part : ex.parts)
        if (part.kind == "file" && !part.name.empty()) scratch.write(part.name, part.text);
    int code = run_morvel(dir, {"--check", ex.definition_name});
    std::string console = test::read_file((dir / ".console").string());
    EXPECT_EQ(code, 0) << ex.where() << ": the check finds errors:\n" << console;
    EXPECT_EQ(console, "") << ex.where();
    EXPECT_FALSE(fs::exists(dir / "morvel.log")) << ex.where() << ": a check wrote a log";
}

std::string example_name(const ::testing::TestParamInfo<std::size_t>& param) {
    const Example& ex = examples().at(param.param);
    return test::test_name(fs::path(ex.doc).lexically_relative("docs").string() + "_" +
                           std::to_string(ex.line));
}

std::vector<std::size_t> example_indexes() {
    std::vector<std::size_t> indexes(examples().size());
    for (std::size_t i = 0; i < indexes.size(); ++i) indexes[i] = i;
    return indexes;
}

INSTANTIATE_TEST_SUITE_P(Docs, ManualExample, ::testing::ValuesIn(example_indexes()), example_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ManualExample);

// Keywords of the token table that no statement, setting or function uses.
const std::set<std::string> kReservedWords = {"END",       "EXTEND_PAGE", "FOR",       "GETLINE",
                                              "PROCEDURE", "UNGET_LINE",  "WHILE",     "LSTR",
                                              "RSTR",      "ODBC_QUERY",  "ARCH_QUERY"};

// The keywords' texts as the scanner matches them ("[INPUT]", "BOLD:", "REPEAT").
std::vector<std::string> keywords_of_token_table() {
    std::vector<std::string> words;
    std::ifstream in(fs::path(MORVEL_SOURCE_DIR) / "src" / "language" / "tokens.def");
    static const std::regex keyword(R"re(^KEYWORD\(\w+, *\d+, *"([^"]+)"\))re");
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
        if (std::regex_search(line, m, keyword)) words.push_back(m[1]);
    return words;
}

// A definition without its comments and string literals, in upper case.
std::string code_of(const std::string& definition) {
    std::string code;
    bool in_string = false, in_comment = false;
    for (std::size_t i = 0; i < definition.size(); ++i) {
        char c = definition[i];
        if (in_comment) {
            if (c == '\n') in_comment = false, code += c;
        } else if (in_string) {
            if (c == '\\' && i + 1 < definition.size())
                ++i;
            else if (c == '"')
                in_string = false, code += ' ';
        } else if (c == ';') {
            in_comment = true;
        } else if (c == '"') {
            in_string = true;
        } else {
            code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return code;
}

bool word_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool uses_word(const std::string& code, const std::string& word) {
    for (std::size_t at = code.find(word); at != std::string::npos; at = code.find(word, at + 1)) {
        // A unit letter follows its number directly (1C, 12R).
        std::size_t before = at;
        while (before > 0 && std::isdigit(static_cast<unsigned char>(code[before - 1]))) --before;
        bool starts = !word_char(word.front()) ||
                      (before == at ? at == 0 || !word_char(code[at - 1])
                                    : before == 0 || !word_char(code[before - 1]));
        std::size_t end = at + word.size();
        bool ends = end == code.size() || !word_char(code[end]) || !word_char(word.back());
        if (starts && ends) return true;
    }
    return false;
}

TEST(ManualCoverage, EveryKeywordHasARunExample) {
    ASSERT_FALSE(examples().empty()) << "no marked examples under " << docs_root();
    std::string code;
    for (const Example& ex : examples()) code += code_of(ex.definition) + "\n";
    std::vector<std::string> wanted = keywords_of_token_table();
    ASSERT_GT(wanted.size(), 150u) << "the token table was not read";
    wanted.push_back("#INCLUDE");
    wanted.push_back("#USES");
    std::string missing;
    for (const std::string& word : wanted)
        if (!kReservedWords.count(word) && !uses_word(code, word)) missing += " " + word;
    EXPECT_EQ(missing, "") << "no marked example in docs/ uses these keywords";
}

// A fence that is not at the start of its line (a spool block without its last
// line feed) would silently swallow the blocks after it.
TEST(ManualCoverage, FencesAreWellFormed) {
    for (const auto& entry : fs::recursive_directory_iterator(docs_root())) {
        if (!entry.is_regular_file() || entry.path().extension() != ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        int number = 0, fences = 0;
        while (std::getline(in, line)) {
            ++number;
            std::size_t at = line.find("```");
            if (at == 0) ++fences;
            EXPECT_TRUE(at == 0 || at == std::string::npos)
                << entry.path() << ":" << number << ": a fence must start its line";
        }
        EXPECT_EQ(fences % 2, 0) << entry.path() << ": a fenced block is not closed";
    }
}

TEST(ManualCoverage, ReservedWordsAreDocumentedAsSuch) {
    std::string reference = test::read_file((docs_root() / "language" / "README.md").string());
    for (const std::string& word : kReservedWords)
        EXPECT_NE(reference.find("`" + word + "`"), std::string::npos)
            << word << " is not listed among the reserved words of docs/language/README.md";
}

}  // namespace
}  // namespace morvel
