// libFuzzer target over what the update server and the installed configuration hand us:
// each input is read as the server's reply for a firmware and for the program target, and as
// the update server configuration. Besides crashes it traps when a reply read as valid gives
// a status other than "update available" or "up to date", or a package hash that is not 64
// lower-case hexadecimal digits.
#include "JsonFile.h"
#include "UpdateCheck.h"
#include "UpdateServerConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(const vpc::update::UpdateResult& result) {
    if (result.failed)
        return;
    if (result.status != vpc::update::kStatusNeedUpdate &&
        result.status != vpc::update::kStatusUpdateOk)
        std::abort();
    if (!result.packageSha256.empty()) {
        if (result.packageSha256.size() != 64)
            std::abort();
        for (const char c : result.packageSha256)
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(vpc::update::ParseUpdateReply(text, 0x0102, 1));
    Check(vpc::update::ParseUpdateReply(text, 1011, 0));
    const vpc::data::JsonReadResult parsed = vpc::data::ParseJsonText(text);
    if (parsed.ok())
        (void)vpc::update::ParseUpdateServerConfig(parsed.value);
    (void)vpc::update::ParseVersionNumber(text, 16);
    (void)vpc::update::ParseVersionNumber(text, 10);
    return 0;
}
