// Test entry for the Wine-run tests: GoogleTest with COM initialised.
#include "common/testing/harness.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new frame::testing::ComEnvironment);
    return RUN_ALL_TESTS();
}
