#include "CurlLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace vpc::update {

namespace {

struct LoadedCurl {
    CurlApi api;
    bool ok = false;
    std::string error;
};

template <typename Function> bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

LoadedCurl Load() {
    LoadedCurl loaded;
    // the library stays for the rest of the run: its handles may live on in other threads
    void* library = nullptr;
    for (const char* file : {"libcurl.so.4", "libcurl-gnutls.so.4", "libcurl.so"}) {
        library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
        if (library)
            break;
    }
    if (!library) {
        const char* reason = dlerror();
        loaded.error = std::string("libcurl could not be loaded: ") + (reason ? reason : "");
        return loaded;
    }
    CurlApi& api = loaded.api;
    const bool resolved = Resolve(library, "curl_global_init", api.globalInit) &&
                          Resolve(library, "curl_easy_init", api.easyInit) &&
                          Resolve(library, "curl_easy_cleanup", api.easyCleanup) &&
                          Resolve(library, "curl_easy_setopt", api.easySetopt) &&
                          Resolve(library, "curl_easy_perform", api.easyPerform) &&
                          Resolve(library, "curl_easy_getinfo", api.easyGetinfo) &&
                          Resolve(library, "curl_slist_append", api.slistAppend) &&
                          Resolve(library, "curl_slist_free_all", api.slistFreeAll);
    if (!resolved) {
        loaded.error = "libcurl lacks a function the program needs";
        return loaded;
    }
    if (api.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        loaded.error = "libcurl could not be initialised";
        return loaded;
    }
    loaded.ok = true;
    return loaded;
}

const LoadedCurl& Loaded() {
    static const LoadedCurl loaded = Load(); // thread-safe, once
    return loaded;
}

} // namespace

const CurlApi* Curl() {
    const LoadedCurl& loaded = Loaded();
    return loaded.ok ? &loaded.api : nullptr;
}

std::string LastCurlLoadError() {
    return Loaded().error;
}

} // namespace vpc::update
