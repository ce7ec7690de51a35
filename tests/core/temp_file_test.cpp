#include "core/temp_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "test_support.h"

namespace morvel::test {
namespace {

// Sets TMPDIR for one test and puts the old value back.
class ScopedTmpdir {
  public:
    explicit ScopedTmpdir(const std::string& value) {
        if (const char* old = getenv("TMPDIR")) old_ = old;
        setenv("TMPDIR", value.c_str(), 1);
    }
    ~ScopedTmpdir() {
        if (old_)
            setenv("TMPDIR", old_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

  private:
    std::optional<std::string> old_;
};

TEST(TempFile, CreatedInTheRunsTemporaryDirectory) {
    CapturedRun cr;
    cr.run.options.has_temp_dir = true;
    cr.run.options.temp_dir = cr.dir.path().string();
    std::optional<std::string> a = make_temp_file(cr.run);
    std::optional<std::string> b = make_temp_file(cr.run);
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    std::filesystem::path p(*a);
    EXPECT_EQ(p.parent_path(), cr.dir.path());
    EXPECT_EQ(p.filename().string().substr(0, 3), "mrv");
    EXPECT_EQ(p.filename().string().size(), 9u);
    EXPECT_TRUE(std::filesystem::is_regular_file(p));
    EXPECT_EQ(std::filesystem::file_size(p), 0u);
}

TEST(TempFile, FallsBackToTmpdir) {
    TempDir dir;
    ScopedTmpdir tmpdir(dir.path().string());
    morvel::Run run;
    std::optional<std::string> name = make_temp_file(run);
    ASSERT_TRUE(name);
    EXPECT_EQ(std::filesystem::path(*name).parent_path(), dir.path());
}

TEST(TempFile, FailuresGiveNoName) {
    TempDir dir;
    morvel::Run run;
    run.options.has_temp_dir = true;
    run.options.temp_dir = dir.file("missing");
    EXPECT_FALSE(make_temp_file(run));
    run.options.has_temp_dir = false;
    // A system temporary directory of 1023 characters is accepted (and here missing);
    // one of 1024 is refused before any file is tried.
    ScopedTmpdir long_dir(std::string(1024, 'd'));
    EXPECT_FALSE(make_temp_file(run));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace morvel::test
