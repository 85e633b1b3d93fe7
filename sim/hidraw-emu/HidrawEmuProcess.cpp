#include "HidrawEmuProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace vpc::hidemu {

namespace {
constexpr const char* kPreloadLibrary = "libumockdev-preload.so.0";
}

bool UmockdevPreloaded() {
    // the library is mapped into this process when the dynamic loader preloaded it
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libumockdev-preload") != std::string::npos)
            return true;
    return false;
}

void RestartUnderUmockdev(char** argv, std::string* why) {
    const char* current = std::getenv("LD_PRELOAD");
    if (current != nullptr && std::strstr(current, "libumockdev-preload") != nullptr) {
        if (why)
            *why = "the umockdev preload library is in LD_PRELOAD but not active";
        return;
    }
    std::string preload = kPreloadLibrary;
    if (current != nullptr && *current != '\0')
        preload += std::string(":") + current;
    ::setenv("LD_PRELOAD", preload.c_str(), 1);
    // a sanitizer runtime wants to be first in the list; the preload library comes first here
    std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    if (asan.find("verify_asan_link_order") == std::string::npos) {
        asan += std::string(asan.empty() ? "" : ":") + "verify_asan_link_order=0";
        ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
    }
    ::execv("/proc/self/exe", argv);
    if (why)
        *why = std::string("cannot restart under umockdev: ") + std::strerror(errno);
}

bool EnterPrivateMountNamespace(std::string* why) {
    if (::geteuid() != 0) {
        if (why)
            *why = "not root";
        return false;
    }
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        if (why)
            *why = std::string("no private mount namespace: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void PrepareEmulatedHidrawProcess(char** argv) {
    std::string why;
    if (!UmockdevPreloaded())
        RestartUnderUmockdev(argv, &why); // returns only when it failed
    if (!why.empty())
        std::fprintf(stderr, "note: %s\n", why.c_str());
    EnterPrivateMountNamespace(nullptr);
}

} // namespace vpc::hidemu
