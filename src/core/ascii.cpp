#include "core/ascii.h"

namespace morvel {

int compare_ignore_case(std::string_view a, std::string_view b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(fold_lower(a[i]));
        auto cb = static_cast<unsigned char>(fold_lower(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = fold_lower(c);
    return out;
}

}  // namespace morvel
