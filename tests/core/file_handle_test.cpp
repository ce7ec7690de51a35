#include "core/file_handle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace morvel {
namespace {

TEST(FileHandle, ReadFileKeepsBytesAndHonoursLimits) {
    test::TempDir dir;
    const std::string big(200 * 1024, 'x');  // more than one read block
    std::string zero_early = std::string("ab\0cd", 5) + std::string(150 * 1024, 'y');
    const struct {
        const char* name;
        std::string bytes;
        ReadLimits limits;
        ReadStatus status;
        std::size_t kept;  // bytes in out afterwards
    } cases[] = {
        {"empty", "", {}, ReadStatus::Ok, 0},
        {"binary", std::string("\r\n\0\x1b\xff", 5), {}, ReadStatus::Ok, 5},
        {"big", big, {}, ReadStatus::Ok, big.size()},
        {"at the limit", big, {big.size(), false}, ReadStatus::Ok, big.size()},
        {"past the limit", big, {big.size() - 1, false}, ReadStatus::TooLarge, big.size()},
        // Reading stops after the block that holds the first zero byte.
        {"zero", zero_early, {SIZE_MAX, true}, ReadStatus::Ok, 64 * 1024},
    };
    for (const auto& c : cases) {
        std::string path = dir.write("f", c.bytes);
        std::string out = "stale";
        EXPECT_EQ(read_file(path, out, c.limits), c.status) << c.name;
        EXPECT_EQ(out.size(), c.kept) << c.name;
        if (c.status == ReadStatus::Ok && c.kept == c.bytes.size()) {
            EXPECT_EQ(out, c.bytes) << c.name;
        }
    }
    std::string out;
    EXPECT_EQ(read_file(dir.file("missing"), out), ReadStatus::CannotOpen);
}

TEST(FileHandle, StreamReaderAppendsAndCloseIsChecked) {
    test::TempDir dir;
    FileHandle f = open_file(dir.file("w"), "wb");
    ASSERT_TRUE(f);
    std::fputs("written", f.get());
    EXPECT_TRUE(close_checked(f));
    EXPECT_FALSE(f);

    std::vector<std::uint8_t> bytes{'>'};
    FileHandle in = open_file(dir.file("w"), "rb");
    ASSERT_TRUE(in);
    EXPECT_EQ(read_stream(in.get(), bytes), ReadStatus::Ok);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ">written");

    // A stream opened for reading only cannot take a write: the close reports it.
    FileHandle read_only = open_file(dir.file("w"), "rb");
    ASSERT_TRUE(read_only);
    std::fputc('x', read_only.get());
    EXPECT_FALSE(close_checked(read_only));
}

}  // namespace
}  // namespace morvel
