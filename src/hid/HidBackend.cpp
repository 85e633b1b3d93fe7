#include "HidBackend.h"

#include "HidrawBackend.h"

namespace vpc::hid {

void CCompositeHidBackend::Add(std::shared_ptr<IHidBackend> backend) {
    if (!backend)
        return;
    std::lock_guard lock(m_mutex);
    m_backends.push_back(std::move(backend));
}

bool CCompositeHidBackend::ListInterfaces(std::vector<std::string>& paths) {
    std::vector<std::shared_ptr<IHidBackend>> backends;
    {
        std::lock_guard lock(m_mutex);
        backends = m_backends;
    }
    paths.clear();
    bool any = backends.empty();
    for (const auto& backend : backends) {
        std::vector<std::string> part;
        if (backend->ListInterfaces(part)) {
            any = true;
            paths.insert(paths.end(), part.begin(), part.end());
        }
    }
    return any;
}

bool CCompositeHidBackend::Handles(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    for (const auto& backend : m_backends)
        if (backend->Handles(path))
            return true;
    return false;
}

std::shared_ptr<IHidConnection> CCompositeHidBackend::Open(const std::string& path,
                                                           const HidOpenFlags& flags) {
    std::shared_ptr<IHidBackend> owner;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& backend : m_backends)
            if (backend->Handles(path)) {
                owner = backend;
                break;
            }
    }
    return owner ? owner->Open(path, flags) : nullptr;
}

std::vector<int> CCompositeHidBackend::ChangeDescriptors() {
    std::lock_guard lock(m_mutex);
    std::vector<int> all;
    for (const auto& backend : m_backends) {
        const std::vector<int> part = backend->ChangeDescriptors();
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

bool CCompositeHidBackend::TakeChanges() {
    std::lock_guard lock(m_mutex);
    bool any = false;
    for (const auto& backend : m_backends)
        any = backend->TakeChanges() || any; // every backend's changes are taken
    return any;
}

namespace {
std::mutex g_defaultMutex;
std::shared_ptr<IHidBackend> g_default;
} // namespace

std::shared_ptr<IHidBackend> DefaultHidBackend() {
    std::lock_guard lock(g_defaultMutex);
    if (!g_default)
        g_default = std::make_shared<CHidrawBackend>();
    return g_default;
}

void SetDefaultHidBackend(std::shared_ptr<IHidBackend> backend) {
    std::lock_guard lock(g_defaultMutex);
    g_default = std::move(backend);
}

} // namespace vpc::hid
