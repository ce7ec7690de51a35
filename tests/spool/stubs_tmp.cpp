// Temporary: stands in for the identifier table until it is merged. The variable
// texts are kept per run so the spool tests can read spool_line and spool_page.
// bench/spool_bench.cpp includes this file too, so it includes nothing from tests/.
#include <map>
#include <string>

#include "driver/run.h"
#include "values/identifiers.h"

namespace morvel {

namespace {
std::map<std::pair<const Run*, std::string>, Text>& stub_variables() {
    static std::map<std::pair<const Run*, std::string>, Text> values;
    return values;
}
}  // namespace

bool set_text_variable(Run& run, std::string_view name, const Text& text) {
    stub_variables()[{&run, std::string(name)}] = text;
    return true;
}

namespace test {
Text spool_variable(Run& run, std::string_view name) {
    auto it = stub_variables().find({&run, std::string(name)});
    return it == stub_variables().end() ? Text() : it->second;
}
}  // namespace test

}  // namespace morvel
