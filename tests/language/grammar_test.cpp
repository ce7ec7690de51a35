#include <gtest/gtest.h>

#include "compile_support.h"
#include "language/tree.h"

namespace morvel {
namespace {

using test::Compiled;

TEST(GrammarSmoke, MinimalDefinition) {
    Compiled d(std::string("[EXTRACT] default_extract = { FIELD = 1, 1, 10, name }\n") +
               test::kMinimalOutput);
    EXPECT_TRUE(d.ok()) << d.c.log();
    EXPECT_EQ(dump(d.tree()), "");
}

}  // namespace
}  // namespace morvel
