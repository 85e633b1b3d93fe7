#include "HttpClient.h"
#include "SystemProxyAbi.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include <dlfcn.h>

namespace vpc::update {

namespace {

// Where the module may be: named by VPC_SYSTEM_PROXY_MODULE, beside the program (a build tree),
// in the program's library folder when installed, or in this build's tree.
std::vector<std::string> ModuleCandidates() {
    std::vector<std::string> candidates;
    if (const char* chosen = std::getenv("VPC_SYSTEM_PROXY_MODULE"); chosen && *chosen)
        candidates.emplace_back(chosen);
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path folder = self.parent_path();
        candidates.push_back((folder / kSystemProxyModule).string());
        candidates.push_back(
            (folder.parent_path() / "lib" / "vorna-control-center" / kSystemProxyModule).string());
    }
#ifdef VPC_SYSTEM_PROXY_BUILD_PATH
    candidates.emplace_back(VPC_SYSTEM_PROXY_BUILD_PATH);
#endif
    return candidates;
}

VpcSystemProxyForFunction LoadLookup() {
    for (const std::string& file : ModuleCandidates()) {
        if (!std::filesystem::is_regular_file(file))
            continue;
        // stays loaded for the rest of the run: later requests use it again
        void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module)
            continue;
        if (auto* lookup =
                reinterpret_cast<VpcSystemProxyForFunction>(dlsym(module, kSystemProxyFunction)))
            return lookup;
        dlclose(module);
    }
    return nullptr;
}

} // namespace

std::string SystemProxyFor(const std::string& url) {
    static std::once_flag once;
    static VpcSystemProxyForFunction lookup = nullptr;
    std::call_once(once, [] { lookup = LoadLookup(); });
    if (!lookup)
        return {}; // libcurl still follows the proxy the environment names
    std::array<char, 2048> proxy{};
    const int length = lookup(url.c_str(), proxy.data(), static_cast<int>(proxy.size()));
    return length > 0 ? std::string(proxy.data(), static_cast<std::size_t>(length)) : std::string();
}

} // namespace vpc::update
