#include "test_support.h"

#include <stdlib.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "driver/run_sequence.h"
#include "values/identifiers.h"

namespace morvel::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "morvel_test_XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    std::string p = file(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string test_name(std::string text) {
    for (char& c : text)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return text;
}

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

MemoryStream::MemoryStream() : file_(open_memstream(&buf_, &len_)) {
    if (!file_) throw std::runtime_error("open_memstream failed");
}

MemoryStream::~MemoryStream() {
    std::fclose(file_);
    free(buf_);
}

std::string MemoryStream::str() {
    std::fflush(file_);
    return std::string(buf_ ? buf_ : "", len_);
}

CapturedRun::CapturedRun() {
    run.out = console_.get();
    run.err = run.out;
    run.options.log_file_name = dir.file("test.log");
}

CapturedRun::~CapturedRun() {
    if (run.in != stdin) std::fclose(run.in);
}

std::string CapturedRun::console() {
    return console_.str();
}

void CapturedRun::set_input(const std::string& text) {
    if (run.in != stdin) std::fclose(run.in);
    input_ = text;
    run.in = fmemopen(input_.data(), input_.size(), "r");
}

int run_job(const TempDir& dir, std::vector<std::string> args, std::string* log) {
    CapturedRun c;
    args.insert(args.begin(), {"morvel", "-s", "-l", dir.file("job.log")});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    int code = run_morvel(c.run, static_cast<int>(argv.size()), argv.data());
    if (log) *log = read_file(dir.file("job.log"));
    return code;
}

void watch_internal_variables(Run& run) {
    for (int i = 0; i < kInternalVariableCount; ++i)
        if (VariableRecord* var = internal_variable(run, static_cast<Internal>(i)))
            var->named = true;
}

}  // namespace morvel::test
