#include "cups/filter.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "core/ascii.h"
#include "core/file_handle.h"
#include "core/strfmt.h"
#include "cups/job_options.h"
#include "driver/run_sequence.h"
#include "language/programs.h"
#include "output/invocation.h"
#include "run.h"

namespace morvel {

namespace {

constexpr int kMaxCopies = 9999;
constexpr std::size_t kCopyBlock = 64 * 1024;
// The output kinds a preview file name can carry: printer, text, XML.
constexpr int kOutputKinds[] = {0, 1, 3};

// The run's scratch folder: preview copies of the output files and the log. It goes,
// with what is in it, however the run ends.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& parent) {
        std::string pattern =
            (parent.empty() ? std::string("/tmp") : parent) + "/morvel-cups-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data())) path_ = name.data();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

const char* prefix_of(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return "ERROR: ";
        case MessageKind::Warning:
            return "WARNING: ";
        case MessageKind::Info:
            break;
    }
    return "INFO: ";
}

// Each line of a message on the error stream with the prefix of its kind; the print
// server files them in its log and shows the last one as the job's state, so empty
// lines are left out.
void forward_message(std::FILE* err, MessageKind kind, std::string_view text) {
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty()) {
            std::string out = prefix_of(kind);
            out.append(line);
            out += '\n';
            std::fwrite(out.data(), 1, out.size(), err);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    std::fflush(err);
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies a whole file to the printer stream.
bool copy_to_printer(const std::string& name, int fd, std::vector<char>& block) {
    FileHandle in(std::fopen(name.c_str(), "rb"));
    if (!in) return false;
    std::size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), in.get())) > 0)
        if (!write_all(fd, block.data(), n)) return false;
    return !std::ferror(in.get());
}

OutputProgram* find_output(Run& run, const std::optional<std::string>& name) {
    for (OutputProgram* output : run.tree.outputs) {
        if (!output) continue;
        if (!name || equal_ignore_case(output->name, *name)) return output;
    }
    return nullptr;
}

// The preview copies the output program left, in the order it made them.
std::vector<std::string> preview_files(const std::string& prefix, OutputProgram& output) {
    std::vector<std::string> files;
    int made = output.preview_counter;
    // A stand-in that only carries what a preview name is made of: the kind of output,
    // the program's place in the definition and the counter.
    OutputProgram named = {};
    named.sequence = output.sequence;
    for (int counter = 0; counter < made; ++counter) {
        named.preview_counter = counter;
        for (int kind : kOutputKinds) {
            named.output_kind = kind;
            std::string name = preview_file_name(prefix, named);
            if (std::filesystem::exists(name)) {
                files.push_back(std::move(name));
                break;
            }
        }
    }
    return files;
}

}  // namespace

std::optional<FilterArguments> read_filter_arguments(int argc, char** argv) {
    if (argc != 6 && argc != 7) return std::nullopt;
    FilterArguments args;
    args.job_id = argv[1];
    args.user = argv[2];
    args.title = argv[3];
    char* end = nullptr;
    errno = 0;
    long copies = std::strtol(argv[4], &end, 10);
    if (errno != 0 || end == argv[4] || *end != '\0' || copies < 1 || copies > kMaxCopies)
        return std::nullopt;
    args.copies = static_cast<int>(copies);
    args.options = argv[5];
    if (argc == 7) args.file = argv[6];
    return args;
}

std::optional<std::string> definition_from_ppd(const std::string& ppd_path) {
    if (ppd_path.empty()) return std::nullopt;
    std::ifstream ppd(ppd_path, std::ios::binary);
    constexpr std::string_view kKey = "*MorvelDefinition:";
    std::string line;
    while (std::getline(ppd, line)) {
        if (line.compare(0, kKey.size(), kKey) != 0) continue;
        std::size_t open = line.find('"', kKey.size());
        std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close == std::string::npos) return std::nullopt;
        std::string value = line.substr(open + 1, close - open - 1);
        if (value.empty()) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

int run_filter(const FilterArguments& args, const FilterStreams& streams) {
    std::FILE* err = streams.err;
    std::vector<JobOption> options = parse_job_options(args.options);
    std::optional<std::string> definition = find_job_option(options, "morvel-definition");
    if (!definition || definition->empty()) definition = definition_from_ppd(streams.ppd_path);
    if (!definition || definition->empty()) {
        forward_message(err, MessageKind::Error,
                        "No definition: set the queue or job option morvel-definition");
        return 1;
    }
    std::optional<std::string> output_name = find_job_option(options, "morvel-output");
    std::optional<std::string> log_name = find_job_option(options, "morvel-log");

    ScratchFolder scratch(streams.temp_dir);
    if (scratch.path().empty()) {
        forward_message(err, MessageKind::Error,
                        strfmt("Unable to create a scratch folder in %s: %s",
                               streams.temp_dir.c_str(), std::strerror(errno)));
        return 1;
    }
    // Every invocation becomes a preview copy: nothing is delivered, and the queue's
    // output program's copies are the printer data.
    std::string preview_prefix = scratch.path() + "/";
    std::vector<std::string> words = {
        "morvel-cups", "-s",
        "-l",          log_name ? *log_name : scratch.path() + "/morvel.log",
        "-p",          preview_prefix,
        *definition,   args.file.empty() ? std::string("-") : args.file};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    Run run;
    // Whatever the run writes to its console must not reach the printer stream.
    run.out = err;
    run.in = streams.in;
    run.message_sink = [err](MessageKind kind, std::string_view line) {
        forward_message(err, kind, line);
    };
    int status = run_morvel(run, static_cast<int>(words.size()), argv.data());
    run.message_sink = nullptr;
    if (status != 0) {
        forward_message(err, MessageKind::Error,
                        strfmt("The job failed (exit code %d); nothing was printed", status));
        return 1;
    }

    OutputProgram* output = find_output(run, output_name);
    if (!output) {
        forward_message(
            err, MessageKind::Error,
            output_name ? strfmt("The definition has no output program %s", output_name->c_str())
                        : std::string("The definition has no output program"));
        return 1;
    }
    std::vector<std::string> files = preview_files(preview_prefix, *output);
    if (files.empty())
        forward_message(err, MessageKind::Warning,
                        strfmt("Output program %s composed nothing", output->name.c_str()));
    std::vector<char> block(kCopyBlock);
    for (int copy = 0; copy < args.copies; ++copy) {
        for (const std::string& file : files) {
            if (!copy_to_printer(file, streams.printer_fd, block)) {
                forward_message(err, MessageKind::Error,
                                strfmt("Unable to send %s to the printer: %s", file.c_str(),
                                       std::strerror(errno)));
                return 1;
            }
        }
    }
    forward_message(err, MessageKind::Info,
                    strfmt("Sent %zu file(s) of output program %s to the printer", files.size(),
                           output->name.c_str()));
    return 0;
}

}  // namespace morvel
