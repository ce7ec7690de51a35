#include "driver/command_line.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "driver/generator.h"
#include "driver/help.h"
#include "language/compile.h"
#include "run.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

constexpr const char* kVersion = "5.0(2020.1)";
constexpr const char* kBuild = "000.000";

bool takes_argument(char c) {
    return c != '\0' && std::strchr("adgkloptuvwz", c) != nullptr;
}
bool is_flag(char c) {
    return c != '\0' && std::strchr("behmnqrs", c) != nullptr;
}

// Numbers of -u, -w, -z and -k: decimal, or hexadecimal after "0x".
int option_number(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, text.rfind("0x", 0) == 0 ? 16 : 10));
}

enum class OptionFault { Unknown, NoArgument };

// The scanner's error: the platform's text for an invalid argument, then a line that
// names the option.
void option_error(Run& run, const std::string& option, OptionFault fault) {
    std::fprintf(run.err, "get command line option: %s\n", std::strerror(EINVAL));
    if (fault == OptionFault::Unknown)
        std::fprintf(run.err, "morvel: unknown option %s\n", option.c_str());
    else
        std::fprintf(run.err, "morvel: option %s needs an argument\n", option.c_str());
    std::fflush(run.err);
}

// Takes one option with its argument into run.options (first reading).
// Returns false when the option ends the run (exit code in *exit_code).
bool take_option(Run& run, char c, const std::string& arg, std::vector<Override>& overrides,
                 int* exit_code) {
    Options& o = run.options;
    switch (c) {
        case 'a':
            o.client_data_file = arg;
            o.write_client_data = true;
            break;
        case 'b':
            o.log_from_definition = true;
            break;
        case 'd':
            o.return_code_file = arg;
            o.return_codes = true;
            break;
        case 'e':
            o.execute_only_mark = 10;
            break;
        case 'g':
            *exit_code = write_default_definition(run, arg);
            return false;
        case 'h':
            print_usage(run);
            *exit_code = 0;
            return false;
        case 'k':
            o.definition_key = option_number(arg);
            break;
        case 'l':
            o.log_file_name = arg;
            break;
        case 'm':
            o.xml_spool = true;
            break;
        case 'n':
            o.debug_disabled = true;
            break;
        case 'o':
            overrides.push_back({'o', arg});
            break;
        case 'p':
            o.preview_prefix = arg;
            o.preview = true;
            break;
        case 'q':
            o.quit_without_log = true;
            break;
        case 'r':
            o.run_after_errors = true;
            break;
        case 's':
            o.silent = true;
            break;
        case 't':
            o.token_file_name = arg;
            o.write_token_file = true;
            break;
        case 'u':
            o.utf8_mode = option_number(arg);
            o.utf8_given = true;
            break;
        case 'v':
            overrides.push_back({'v', arg});
            break;
        case 'w':
            o.invoke_wait_seconds = option_number(arg);
            break;
        case 'z':
            run.trace_flags = option_number(arg);
            break;
        default:
            break;
    }
    return true;
}

}  // namespace

void print_usage(Run& run) {
    const char* prog = run.options.program_path.c_str();
    std::FILE* f = run.out;
    std::fprintf(f, "%s Version %s, Build %s\n", prog, kVersion, kBuild);
    std::fprintf(f,
                 "Usage: %s [-l] [-s] [-v] [-o] [-g] [-n] [-q] [-h] definition_file spool_file\n\n",
                 prog);
    std::fputs("\t[-l] <log_filename>: name of log file to create\n", f);
    std::fputs("\t[-s] <silence>: Force message just to log file\n", f);
    std::fputs("\t[-v] <variable=value>: Initialises variable to value\n", f);
    std::fputs("\t[-o] <output_program=value>: Overrides invocation to value\n", f);
    std::fputs("\t[-g] <filename>: Creates a default definition file\n", f);
    std::fputs("\t[-n] : Disables DEBUG statements\n", f);
    std::fputs("\t[-q] : quits if cant open log file at start\n", f);
    std::fputs("\t[-h] : help, shows this message\n", f);
    std::fflush(f);
}

OptionScan read_options(Run& run, int argc, char** argv, std::vector<Override>& overrides) {
    OptionScan scan;
    if (argc > 0) run.options.program_path = argv[0];
    int i = 1;
    while (i < argc) {
        std::string_view word = argv[i];
        // A word that is not an option ends the options without being consumed.
        if (word.size() < 2 || word[0] != '-' || std::isspace(static_cast<unsigned char>(word[1])))
            break;
        if (word == "--") {
            ++i;
            break;
        }
        if (word == "--strict-delivery") {
            run.options.strict_delivery = true;
            ++i;
            continue;
        }
        if (word == "--help" || word == "--version") {
            word == "--help" ? print_help(run) : print_version(run);
            scan.outcome = OptionScan::Outcome::Exit;
            scan.exit_code = 0;
            return scan;
        }
        ++i;
        for (std::size_t k = 1; k < word.size(); ++k) {
            char c = word[k];
            if (takes_argument(c)) {
                std::string arg;
                if (k + 1 < word.size()) {
                    arg = std::string(word.substr(k + 1));
                } else if (i < argc) {
                    arg = argv[i++];
                } else {
                    option_error(run, std::string("-") + c, OptionFault::NoArgument);
                    print_usage(run);
                    scan.outcome = OptionScan::Outcome::Exit;
                    scan.exit_code = 100;
                    return scan;
                }
                if (!take_option(run, c, arg, overrides, &scan.exit_code)) {
                    scan.outcome = OptionScan::Outcome::Exit;
                    return scan;
                }
                break;
            }
            if (!is_flag(c)) {
                // A long option names itself whole; a letter in a group alone.
                option_error(run, word.starts_with("--") ? std::string(word) : std::string("-") + c,
                             OptionFault::Unknown);
                print_usage(run);
                scan.outcome = OptionScan::Outcome::Exit;
                scan.exit_code = 100;
                return scan;
            }
            if (!take_option(run, c, {}, overrides, &scan.exit_code)) {
                scan.outcome = OptionScan::Outcome::Exit;
                return scan;
            }
        }
    }
    scan.first_file = i;
    return scan;
}

bool apply_overrides(Run& run, const std::vector<Override>& overrides) {
    bool ok = true;
    for (const Override& o : overrides) {
        if (o.option == 'v') {
            if (!override_variable(run, o.word)) ok = false;
        } else if (!override_invocation(run, o.word)) {
            ok = false;
        }
    }
    return ok;
}

std::string log_name_from_definition(const std::string& definition) {
    std::string name = definition;
    if (name.size() > 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
    return name + ".log";
}

}  // namespace morvel
