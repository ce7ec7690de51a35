// A main for fuzz targets built without libFuzzer: runs the target once on every
// file named on the command line, or on every file of a named directory, so that
// a corpus replays as a test under the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int failures = 0, count = 0;
    // Targets change into their own directory: every name is resolved first.
    std::vector<fs::path> args;
    for (int i = 1; i < argc; ++i) args.push_back(fs::absolute(argv[i]));
    for (const fs::path& arg : args) {
        std::vector<fs::path> files;
        if (fs::is_directory(arg)) {
            for (const auto& e : fs::directory_iterator(arg))
                if (e.is_regular_file()) files.push_back(e.path());
        } else {
            files.push_back(arg);
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& f : files) {
            failures += replay(f);
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return failures == 0 && count > 0 ? 0 : 1;
}
