#include "language/builtins.h"

#include <limits>

namespace morvel {

namespace {

// Row index + 1 of each token code, 0 for none: the evaluator looks a function up for
// every call, so the lookup is one load.
constexpr std::size_t kTokenCodes = std::size_t{std::numeric_limits<std::uint8_t>::max()} + 1;

constexpr std::array<std::uint8_t, kTokenCodes> make_index() {
    std::array<std::uint8_t, kTokenCodes> index{};
    for (std::size_t i = 0; i < kBuiltins.size(); ++i)
        index[static_cast<std::uint8_t>(kBuiltins[i].token)] = static_cast<std::uint8_t>(i + 1);
    return index;
}

constexpr std::array<std::uint8_t, kTokenCodes> kIndex = make_index();
static_assert(kBuiltins.size() < std::numeric_limits<std::uint8_t>::max());

// Each function has one row.
constexpr bool rows_are_unique() {
    for (std::size_t i = 0; i < kBuiltins.size(); ++i)
        if (kIndex[static_cast<std::uint8_t>(kBuiltins[i].token)] != i + 1) return false;
    return true;
}
static_assert(rows_are_unique());

}  // namespace

const Builtin* builtin_of(Tok token) {
    std::uint8_t row = kIndex[static_cast<std::uint8_t>(token)];
    return row ? &kBuiltins[row - 1u] : nullptr;
}

bool takes_no_operand(Tok token) {
    const Builtin* b = builtin_of(token);
    return b && (b->form == ArgForm::None || b->form == ArgForm::Date);
}

}  // namespace morvel
