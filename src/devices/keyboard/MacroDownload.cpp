#include "MacroDownload.h"

#include "CommandSession.h"

#include "MacroImage.h"
#include "MacroStore.h"

#include <algorithm>

namespace vpc::devices::keyboard {

using hid::CCommandChannel;

MacroDownloadResult DownloadMacroImage(CCommandChannel& channel,
                                       const std::filesystem::path& userFolder,
                                       const std::vector<int>& macroIndexes) {
    constexpr int kMacroImageUnit = 128; // bytes per unit of information byte 6
    constexpr int kLongestMacroHalf = 128;
    // a failure is never 0: 0 means the macros are on the device
    const auto failed = [](int result) {
        return result < 0 ? result : CCommandChannel::kNotWritten;
    };
    MacroDownloadResult out;
    const int read = channel.ReadInfoBlock(out.info.data());
    if (read != CCommandChannel::kOk) {
        out.result = failed(read);
        return out;
    }
    out.infoRead = true;
    const data::CMacroStore store(userFolder);
    const std::vector<data::MacroInfo> macros = store.List();
    if (macros.empty() || macroIndexes.empty())
        return out;
    // each macro file is read once; the image is built from what was read
    std::vector<data::EncodedMacro> image;
    for (const int index : macroIndexes) {
        data::EncodedMacro encoded;
        if (index >= 0 && index < static_cast<int>(macros.size()))
            for (const Json::Value& action : store.Events(index))
                encoded.push_back(data::EncodeMacroAction(action));
        out.halfCounts.push_back(static_cast<int>(encoded.size() / 2));
        image.push_back(std::move(encoded));
    }
    if (std::any_of(out.halfCounts.begin(), out.halfCounts.end(),
                    [](int half) { return half >= kLongestMacroHalf; }))
        return out; // the device cannot play it: nothing is written, the caller says so
    const std::size_t length = data::MacroImageLength(image);
    const std::size_t capacity = std::size_t{out.info[6]} * kMacroImageUnit;
    if (length > capacity) {
        out.result = static_cast<int>(((length - capacity) >> 2) + 1);
        return out;
    }
    const std::vector<std::uint8_t> bytes = data::BuildMacroImage(image);
    if (bytes.empty()) {
        out.result = CCommandChannel::kNotWritten;
        return out;
    }
    const CommandSession session(channel);
    if (!session.IsOpen()) {
        out.result = failed(session.BeginResult());
        return out;
    }
    const int written = channel.WriteMacroData(bytes.data(), bytes.size());
    out.result = written == CCommandChannel::kOk ? 0 : failed(written);
    return out;
}

} // namespace vpc::devices::keyboard
