#include <gtest/gtest.h>

#include "compile_support.h"
#include "language/tree.h"

namespace morvel {
namespace {

std::string kitchen_sink() {
    return test::read_file(std::string(MORVEL_SOURCE_DIR) +
                           "/tests/language/data/kitchen_sink.def");
}

TEST(KitchenSink, CompilesWithoutAnyMessage) {
    test::Compiled d(kitchen_sink());
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(d.messages(), "");
    std::printf("%s", dump(d.tree()).c_str());
}

}  // namespace
}  // namespace morvel
