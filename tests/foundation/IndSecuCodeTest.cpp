#include <gtest/gtest.h>

#include "foundation/IndSecuCode.h"

TEST(IndSecuCode, OrdersByMarketThenCode) {
    CIndSecuCode sh(1, "600000"), sz(2, "000001"), sh2(1, "600001");
    EXPECT_LT(sh, sh2);
    EXPECT_LT(sh2, sz);
    EXPECT_TRUE(CIndSecuCode().IsEmpty());
    EXPECT_FALSE(sh.IsEmpty());
}
