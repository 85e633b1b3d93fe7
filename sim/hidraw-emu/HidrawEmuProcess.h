// Process set-up for programs that use emulated hidraw nodes: runs the program again under the
// umockdev preload library and gives it a private mount namespace for its FUSE mounts.
#pragma once

#include <string>

namespace vpc::hidemu {

// True when the umockdev preload library is active in this process.
bool UmockdevPreloaded();
// Starts this program again with the umockdev preload library in LD_PRELOAD, unless it is
// already there (returns only when it cannot do so, with the reason in why).
void RestartUnderUmockdev(char** argv, std::string* why);
// As root: moves this process into a mount namespace of its own, so that FUSE mounts vanish with
// it even when it dies. Call before any thread starts. False when that is not possible here.
bool EnterPrivateMountNamespace(std::string* why);
// Both, as the first thing in main: a note goes to stderr when the restart was not possible.
void PrepareEmulatedHidrawProcess(char** argv);

} // namespace vpc::hidemu
