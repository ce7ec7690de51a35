#pragma once
// What the spool tests share: opening a spool made in the test, and reading back
// the page and the variables the reader keeps up to date.
#include <string>
#include <string_view>
#include <vector>

#include "run.h"
#include "spool/spool_reader.h"
#include "test_support.h"
#include "values/identifiers.h"

namespace morvel::test {

/// The current text of a variable the spool reader keeps up to date (spool_line, spool_page).
inline Text spool_variable(Run& run, std::string_view name) {
    Identifier* id = lookup(run, name);
    VariableRecord* var = id ? id->as<VariableRecord>() : nullptr;
    return var ? var->cell.value : Text();
}

/// Gives the run its internal variables (once), so the reader can keep them up to date.
inline void prepare_variables(CapturedRun& c) {
    if (c.run.ids.internal_variables_ready) return;
    create_internal_variables(c.run);
    create_objects(c.run);
    watch_internal_variables(c.run);
}

/// Writes bytes as a spool file in the run's directory and opens it; false when that failed.
inline bool open_test_spool(CapturedRun& c, const std::string& bytes) {
    prepare_variables(c);
    return open_spool(c.run, c.dir.write("spool.prn", bytes));
}

/// Line y of the current page without its blank padding.
inline std::string page_line(const Run& run, int y) {
    Text t = cut_text(run, 1, y, kSpoolLineMax);
    if (!t) return "<none>";
    std::size_t keep = t->find_last_not_of(' ');
    return t->substr(0, keep == std::string::npos ? 0 : keep + 1);
}

/// Every line of the current page without padding.
inline std::vector<std::string> page_lines(const Run& run) {
    std::vector<std::string> out;
    for (int y = 1; y <= run.spool.page.lines; ++y) out.push_back(page_line(run, y));
    return out;
}

/// Reads all pages of `lines` lines and returns their non-empty leading lines, page by page.
inline std::vector<std::vector<std::string>> all_pages(Run& run, int lines, int tab = 8) {
    std::vector<std::vector<std::string>> pages;
    while (read_page(run, lines, tab) > 0) {
        std::vector<std::string> p = page_lines(run);
        while (!p.empty() && p.back().empty()) p.pop_back();
        pages.push_back(p);
    }
    return pages;
}

}  // namespace morvel::test
