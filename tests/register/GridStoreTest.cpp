#include "register/GridStore.h"
#include <gtest/gtest.h>
TEST(GridStore, Placeholder) { VideoRegister r; EXPECT_EQ(r.RowCount(), 2); }
