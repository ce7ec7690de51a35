#include "output/undelivered.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "output/invocation.h"
#include "output/output_programs.h"
#include "output_fixture.h"

namespace morvel {
namespace {

TEST(Undelivered, KeptNamesSayWhatTheFileIs) {
    struct Case {
        const char* dir;
        const char* program;
        int kind;
        int attempt;
        const char* expected;
    };
    const Case cases[] = {
        {"/tmp/", "printer", 0, 1, "/tmp/morvel-undelivered-printer.pcl"},
        {"./", "listing", 1, 1, "./morvel-undelivered-listing.txt"},
        {"", "feed", 3, 1, "morvel-undelivered-feed.xml"},
        {"/tmp/", "printer", 0, 2, "/tmp/morvel-undelivered-printer-2.pcl"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(undelivered_file_name(k.dir, k.program, k.kind, k.attempt), k.expected);
}

using KeptFiles = test::OutputTest;

// Files kept by earlier runs stay as they are: a new one takes the next free name.
TEST_F(KeptFiles, TakeTheNextFreeNameAndLeaveEarlierOnesAlone) {
    const std::string first = cr.dir.write("morvel-undelivered-printer.pcl", "run 1");
    const std::string second = cr.dir.write("morvel-undelivered-printer-2.pcl", "run 2");
    command_status(1);
    OutputProgram& p = output("printer", "lp", {test::file_param()});
    open_with(p, "run 3");
    invoke(run, p);
    EXPECT_EQ(test::read_file(first), "run 1");
    EXPECT_EQ(test::read_file(second), "run 2");
    const std::string third = cr.dir.file("morvel-undelivered-printer-3.pcl");
    EXPECT_EQ(test::read_file(third), "run 3");
    EXPECT_NE(cr.log().find("Output of printer is kept as " + third), std::string::npos)
        << cr.log();
    EXPECT_TRUE(temp_files().empty());
}

// The file stream of an output program replaced by one on /dev/full: every byte
// written to it so far stays in the buffer and is lost at the flush.
void fill_disk(Run& run, OutputProgram& p) {
    OutputFile& entry = run.output_files.by_program.at(&p);
    std::fclose(entry.file);
    entry.file = std::fopen("/dev/full", "wb");
    ASSERT_NE(entry.file, nullptr);
    std::fputs("page", entry.file);
}

// An output file that could not be written whole is never handed to its command: the
// run fails with a message, and what the files hold is kept under undelivered names.
TEST_F(KeptFiles, OutputFileThatCannotBeWrittenWholeIsKeptAndNotDelivered) {
    struct Case {
        const char* what;
        bool own_full;    // the program's own file is on a full disk
        bool other_full;  // the file of the other program its command names is
    };
    const Case cases[] = {
        {"own file", true, false},
        {"file of another program", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        run.MEMORY_ERROR = 0;
        run.options.run_after_errors = true;  // so that only the failed file stops the command
        commands.clear();
        OutputProgram& archive = output("archive", "true");
        OutputProgram& p =
            output("printer", "lp", {test::file_param(), test::file_param(&archive)});
        open_with(archive, "A");
        open_with(p, "P");
        if (c.own_full) fill_disk(run, p);
        if (c.other_full) fill_disk(run, archive);
        invoke(run, p);
        EXPECT_TRUE(commands.empty()) << commands.front();
        EXPECT_EQ(run.MEMORY_ERROR, 1);
        const std::string failed = c.own_full ? "printer" : "archive";
        EXPECT_NE(cr.log().find("Unable to complete the output file of output program " + failed +
                                "\nNo space left on device\n"),
                  std::string::npos)
            << cr.log();
        const std::string kept = cr.dir.file("morvel-undelivered-printer.pcl");
        EXPECT_NE(cr.log().find("Output of printer is kept as " + kept +
                                ": its output file could not be written whole, so the "
                                "invocation of printer was not run"),
                  std::string::npos)
            << cr.log();
        // The file that was not on the full disk holds what was written to it.
        if (!c.own_full) {
            EXPECT_EQ(test::read_file(kept), "P");
        }
        EXPECT_TRUE(std::filesystem::exists(kept));
        std::remove(kept.c_str());
        const std::string kept_archive = cr.dir.file("morvel-undelivered-archive.pcl");
        EXPECT_EQ(std::filesystem::exists(kept_archive), c.other_full);
        std::remove(kept_archive.c_str());
        delete_output_file(run, archive);
        EXPECT_TRUE(temp_files().empty());
    }
}

}  // namespace
}  // namespace morvel
