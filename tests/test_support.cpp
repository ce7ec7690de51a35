#include "test_support.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

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

CapturedRun::CapturedRun() {
    run.out = open_memstream(&out_buf_, &out_len_);
    run.err = run.out;
    run.options.log_file_name = dir.file("test.log");
}

CapturedRun::~CapturedRun() {
    if (run.in != stdin) std::fclose(run.in);
    std::fclose(run.out);
    free(out_buf_);
}

std::string CapturedRun::console() {
    std::fflush(run.out);
    return std::string(out_buf_ ? out_buf_ : "", out_len_);
}

void CapturedRun::set_input(const std::string& text) {
    if (run.in != stdin) std::fclose(run.in);
    input_ = text;
    run.in = fmemopen(input_.data(), input_.size(), "r");
}

}  // namespace morvel::test
