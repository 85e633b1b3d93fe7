// Entry point of the hidraw end-to-end tests: runs them under the umockdev preload library and,
// as root, in a mount namespace of their own so that no FUSE mount outlives the process.
#include "HidrawEmuProcess.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    vpc::hidemu::PrepareEmulatedHidrawProcess(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
