#pragma once
// What every fuzz target shares: one whole run of morvel in this process, in a
// private scratch directory, with no external command ever started.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_runner.h"
#include "driver/run_sequence.h"
#include "run.h"

namespace morvel::fuzz {

/// Stands in for the shell: definitions under test may build any command line.
struct NoCommands : CommandRunner {
    int run(const std::string&) override { return 0; }
};

/// A directory made for this process and entered, so that every relative name a
/// definition writes (files, temporary output, morvel.ini) lands inside it; it is
/// removed with everything in it when the process ends.
struct ScratchDir {
    std::string path;
    ScratchDir() {
        std::string pattern = "/tmp/morvel-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) std::abort();
        setenv("VAVIRIRODI", pattern.c_str(), 1);
        unsetenv("TMPDIR");
        path = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

inline const std::string& scratch_dir() {
    static const ScratchDir dir;
    return dir.path;
}

/// Writes bytes to a file in the scratch directory; its path.
inline std::string put_file(const std::string& name, std::string_view bytes) {
    std::string path = scratch_dir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

/// Runs morvel silently with args (file names relative to the scratch directory)
/// in a fresh run context; its exit code.
inline int run_job(std::vector<std::string> args) {
    scratch_dir();
    std::vector<std::string> all = {"morvel", "-s", "-l", "fuzz.log"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    Run run;
    run.command_runner = std::make_unique<NoCommands>();
    std::FILE* console = std::fopen("/dev/null", "wb");
    std::FILE* keyboard = std::fopen("/dev/null", "rb");
    if (!console || !keyboard) std::abort();
    run.out = run.err = console;
    run.in = keyboard;
    int code = run_morvel(run, static_cast<int>(all.size()), argv.data());
    std::fclose(console);
    std::fclose(keyboard);
    return code;
}

inline std::string_view bytes_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace morvel::fuzz
