#include <gtest/gtest.h>

#include "base/FloatControl.h"

int main(int argc, char **argv)
{
    oq::EnableFlushToZero();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
