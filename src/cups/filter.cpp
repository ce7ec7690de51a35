#include "cups/filter.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
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

namespace {

// Someone other than the administrator names this file: it must be a plain file
// name, so that it can only mean a file in the folder the administrator chose.
bool is_plain_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.front() != '-' &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool is_absolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

// The same file as the job's document: a job must not run its own data.
bool is_job_document(const struct stat& st, const FilterArguments& args,
                     const FilterStreams& streams) {
    struct stat doc {};
    bool known = false;
    if (!args.file.empty()) {
        known = ::stat(args.file.c_str(), &doc) == 0;
    } else if (streams.in) {
        int fd = ::fileno(streams.in);
        known = fd >= 0 && ::fstat(fd, &doc) == 0;
    }
    return known && doc.st_dev == st.st_dev && doc.st_ino == st.st_ino;
}

// The file the definition option names, or none after an ERROR line saying why not.
std::optional<std::string> choose_definition(const std::string& name, const QueueSettings& settings,
                                             const FilterArguments& args,
                                             const FilterStreams& streams) {
    std::FILE* err = streams.err;
    auto refuse = [&](const std::string& what, const std::string& why) {
        forward_message(err, MessageKind::Error,
                        strfmt("Refusing the definition %s: %s", what.c_str(), why.c_str()));
        return std::optional<std::string>();
    };
    if (name.front() == '-') return refuse(name, "a definition's name must not start with -");
    std::string path = name;
    if (!settings.unsafe_any_definition) {
        std::string folder = settings.definition_folder.value_or(streams.definition_folder);
        if (!is_plain_name(name))
            return refuse(name, strfmt("a job names a definition by its file name in %s, "
                                       "without a folder",
                                       folder.c_str()));
        if (!is_absolute(folder))
            return refuse(name, strfmt("the definition folder %s is not an absolute path "
                                       "(*MorvelDefinitionFolder in the queue's PPD)",
                                       folder.c_str()));
        struct stat st {};
        int error = ::stat(folder.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        if (error != 0)
            return refuse(name, strfmt("the definition folder %s cannot be used (%s); create "
                                       "it, owned by root, or set *MorvelDefinitionFolder in "
                                       "the queue's PPD",
                                       folder.c_str(), std::strerror(error)));
        if (std::optional<std::string> why = untrusted_writer(st, streams.trust))
            return refuse(name, strfmt("others than root and the administrators can change the "
                                       "definition folder %s: %s",
                                       folder.c_str(), why->c_str()));
        path = folder + "/" + name;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return refuse(path, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return refuse(path, "it is not a regular file");
    if (is_job_document(st, args, streams)) return refuse(path, "it is the job's own document");
    if (!settings.unsafe_any_definition) {
        if (std::optional<std::string> why = untrusted_writer(st, streams.trust))
            return refuse(path, strfmt("others than root and the administrators can change it: "
                                       "%s",
                                       why->c_str()));
    }
    return path;
}

// The log file the morvel-log option names, or none after an ERROR line saying why not.
std::optional<std::string> choose_log(const std::string& name, const QueueSettings& settings,
                                      std::FILE* err) {
    auto refuse = [&](const std::string& why) {
        forward_message(err, MessageKind::Error,
                        strfmt("Refusing morvel-log=%s: %s", name.c_str(), why.c_str()));
        return std::optional<std::string>();
    };
    if (!settings.log_folder)
        return refuse("the queue has no log folder (*MorvelLogFolder in its PPD)");
    const std::string& folder = *settings.log_folder;
    if (!is_plain_name(name))
        return refuse(
            strfmt("a job names a log by its file name in %s, without a folder", folder.c_str()));
    if (!is_absolute(folder))
        return refuse(strfmt("the log folder %s is not an absolute path", folder.c_str()));
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return refuse(strfmt("the log folder %s is not a folder", folder.c_str()));
    if (st.st_mode & S_IWOTH)
        return refuse(strfmt("anyone can write the log folder %s (chmod o-w)", folder.c_str()));
    std::string path = folder + "/" + name;
    // A log replaces a file of its own kind only: never a link or a device.
    if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return refuse(strfmt("%s is not a regular file", path.c_str()));
    return path;
}

// What the job's process runs.
struct JobPlan {
    std::string definition;  ///< the definition file
    std::string log;         ///< the log file
    std::string scratch;     ///< the scratch folder: preview copies and temporary files
    std::optional<std::string> output_name;
};

// The job itself, in its own process: runs the definition with every invocation kept as
// a preview copy, then sends the queue's output program's copies to the printer.
int run_job(const FilterArguments& args, const FilterStreams& streams, const JobPlan& plan) {
    std::FILE* err = streams.err;
    // Temporary files go into the scratch folder too, so that they go with it however
    // the job ends; commands of the definition inherit the setting.
    std::string temp_dir = plan.scratch + "/tmp";
    if (::mkdir(temp_dir.c_str(), 0700) != 0) {
        forward_message(err, MessageKind::Error,
                        strfmt("Unable to create a scratch folder in %s: %s", plan.scratch.c_str(),
                               std::strerror(errno)));
        return 1;
    }
    // The environment of this process only: it runs this one job and ends.
    ::setenv("VAVIRIRODI", temp_dir.c_str(), 1);
    ::setenv("TMPDIR", temp_dir.c_str(), 1);

    // Every invocation becomes a preview copy: nothing is delivered, and the queue's
    // output program's copies are the printer data.
    std::string preview_prefix = plan.scratch + "/";
    std::vector<std::string> words = {"morvel-cups",
                                      "-s",
                                      "-l",
                                      plan.log,
                                      "-p",
                                      preview_prefix,
                                      "--",
                                      plan.definition,
                                      args.file.empty() ? std::string("-") : args.file};
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

    const std::optional<std::string>& output_name = plan.output_name;
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

// The one piece of process-wide state in the filter, because a signal handler can
// reach nothing else: the process group of the job being waited for (0 when none)
// and whether a cancelling signal came. A process runs one filter job at a time.
std::atomic<pid_t> g_job_group{0};
volatile std::sig_atomic_t g_cancelled = 0;
static_assert(std::atomic<pid_t>::is_always_lock_free, "the handler needs a lock-free pid");

// Only notes the signal and passes it on to the job's processes; everything else
// happens after the wait, in the filter's own code.
extern "C" void forward_cancel(int) {
    int saved = errno;
    g_cancelled = 1;
    pid_t group = g_job_group.load();
    if (group > 0) ::kill(-group, SIGTERM);
    errno = saved;
}

constexpr int kCancelSignals[] = {SIGTERM, SIGINT};

// While it lives, SIGTERM and SIGINT are passed on to the job's process group instead
// of ending the filter, so that the filter can clean up after the job.
class CancelForwarder {
  public:
    CancelForwarder() {
        g_cancelled = 0;
        g_job_group = 0;
        struct sigaction action {};
        action.sa_handler = forward_cancel;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kCancelSignals); ++i)
            ::sigaction(kCancelSignals[i], &action, &previous_[i]);
    }
    ~CancelForwarder() {
        g_job_group = 0;
        for (std::size_t i = 0; i < std::size(kCancelSignals); ++i)
            ::sigaction(kCancelSignals[i], &previous_[i], nullptr);
    }
    CancelForwarder(const CancelForwarder&) = delete;
    CancelForwarder& operator=(const CancelForwarder&) = delete;

    // Runs job in a new process of its own process group and waits for it: its exit
    // status, 128 + the signal that ended it, or kCancelledStatus when a cancelling
    // signal came.
    template <class Job>
    int run_job_process(Job job) {
        if (g_cancelled) return kCancelledStatus;
        sigset_t blocked;
        sigset_t previous_mask;
        sigemptyset(&blocked);
        for (int sig : kCancelSignals) sigaddset(&blocked, sig);
        // Blocked across the fork, so that a signal cannot fall between the new
        // process and the note of its group.
        ::sigprocmask(SIG_BLOCK, &blocked, &previous_mask);
        std::fflush(nullptr);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::setpgid(0, 0);
            for (std::size_t i = 0; i < std::size(kCancelSignals); ++i)
                ::sigaction(kCancelSignals[i], &previous_[i], nullptr);
            ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
            int status = job();
            std::fflush(nullptr);
            ::_exit(status);
        }
        if (pid < 0) {
            int saved = errno;
            ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
            errno = saved;
            return -1;
        }
        ::setpgid(pid, pid);
        g_job_group = pid;
        ::sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
        int wait_status = 0;
        while (::waitpid(pid, &wait_status, 0) < 0) {
            if (errno != EINTR) return -1;
        }
        g_job_group = 0;
        if (g_cancelled) return kCancelledStatus;
        if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
        return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 1;
    }

  private:
    struct sigaction previous_[std::size(kCancelSignals)] = {};
};

}  // namespace

QueueSettings read_queue_settings(const std::string& ppd_path) {
    QueueSettings settings;
    if (ppd_path.empty()) return settings;
    std::optional<std::string> unsafe;
    struct Keyword {
        std::string_view key;
        std::optional<std::string>* value;
    } keywords[] = {
        {"*MorvelDefinition:", &settings.definition},
        {"*MorvelDefinitionFolder:", &settings.definition_folder},
        {"*MorvelLogFolder:", &settings.log_folder},
        {"*MorvelUnsafeAnyDefinition:", &unsafe},
    };
    std::ifstream ppd(ppd_path, std::ios::binary);
    std::string line;
    std::vector<bool> seen(std::size(keywords), false);
    while (std::getline(ppd, line)) {
        for (std::size_t k = 0; k < std::size(keywords); ++k) {
            const Keyword& keyword = keywords[k];
            if (seen[k] || line.compare(0, keyword.key.size(), keyword.key) != 0) continue;
            // The first line of a keyword counts, whatever its value.
            seen[k] = true;
            std::size_t start = line.find_first_not_of(" \t", keyword.key.size());
            if (start == std::string::npos) continue;
            std::string value;
            if (line[start] == '"') {
                std::size_t close = line.find('"', start + 1);
                if (close == std::string::npos) continue;
                value = line.substr(start + 1, close - start - 1);
            } else {
                // A bare word, as in "*MorvelUnsafeAnyDefinition: True".
                std::size_t end = line.find_last_not_of(" \t\r");
                value = line.substr(start, end + 1 - start);
            }
            if (!value.empty()) *keyword.value = std::move(value);
        }
    }
    settings.unsafe_any_definition = unsafe && equal_ignore_case(*unsafe, "True");
    return settings;
}

std::optional<std::string> definition_from_ppd(const std::string& ppd_path) {
    return read_queue_settings(ppd_path).definition;
}

int run_filter(const FilterArguments& args, const FilterStreams& streams) {
    std::FILE* err = streams.err;
    std::vector<JobOption> options = parse_job_options(args.options);
    QueueSettings settings = read_queue_settings(streams.ppd_path);
    std::optional<std::string> definition = find_job_option(options, "morvel-definition");
    if (!definition || definition->empty()) definition = settings.definition;
    if (!definition || definition->empty()) {
        forward_message(err, MessageKind::Error,
                        "No definition: set the queue or job option morvel-definition");
        return 1;
    }
    std::optional<std::string> definition_path =
        choose_definition(*definition, settings, args, streams);
    if (!definition_path) return 1;
    std::optional<std::string> log_path;
    if (std::optional<std::string> log_name = find_job_option(options, "morvel-log")) {
        log_path = choose_log(*log_name, settings, err);
        if (!log_path) return 1;
    }

    // From here on a cancelled job ends the job's process and returns through the
    // scratch folder's destructor.
    CancelForwarder cancel;
    ScratchFolder scratch(streams.temp_dir);
    if (scratch.path().empty()) {
        forward_message(err, MessageKind::Error,
                        strfmt("Unable to create a scratch folder in %s: %s",
                               streams.temp_dir.c_str(), std::strerror(errno)));
        return 1;
    }
    JobPlan plan;
    plan.definition = std::move(*definition_path);
    plan.log = log_path ? *log_path : scratch.path() + "/morvel.log";
    plan.scratch = scratch.path();
    plan.output_name = find_job_option(options, "morvel-output");
    int status = cancel.run_job_process([&] { return run_job(args, streams, plan); });
    if (status < 0)
        forward_message(err, MessageKind::Error,
                        strfmt("Unable to start the job: %s", std::strerror(errno)));
    else if (status == kCancelledStatus)
        forward_message(err, MessageKind::Info,
                        "The job was cancelled; its scratch files are removed");
    else if (status > 128)
        forward_message(err, MessageKind::Error,
                        strfmt("The job ended with signal %d; nothing was printed", status - 128));
    return status == 0 ? 0 : status == kCancelledStatus ? kCancelledStatus : 1;
}

}  // namespace morvel
