// Entry point of the hidraw end-to-end tests: runs them under the umockdev preload library and,
// as root, in a mount namespace of their own so that no FUSE mount outlives the process.
#include "HidrawEmuProcess.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    std::string why;
    if (!vpc::hidemu::UmockdevPreloaded())
        vpc::hidemu::RestartUnderUmockdev(argv, &why); // returns only when it failed
    if (!why.empty())
        std::fprintf(stderr, "note: %s\n", why.c_str());
    std::string namespaceNote;
    vpc::hidemu::EnterPrivateMountNamespace(&namespaceNote);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
