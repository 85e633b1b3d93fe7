// The records the main program and its capture companion exchange over one SOCK_SEQPACKET
// Unix socket: a 32-bit tag, then the payload. Both sides include this header and nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace vpc::audiocapture {

// Names in $XDG_RUNTIME_DIR: the lock file the running companion holds (one per session) and
// the socket it listens on.
inline constexpr const char* kInstanceName = "VORNAPADQMT58ControlCenterAudioRecord";
inline constexpr const char* kLockSuffix = ".lock";
inline constexpr const char* kSocketSuffix = ".sock";
// The companion's file name, installed beside the main program.
inline constexpr const char* kProgramName = "vorna-audio-capture";

// Record tags. To the companion: a command {tag, command, value} and the style record
// {tag, 40 bytes}. From the companion: a level frame {tag, up to 500 int32}, the screen
// colours {tag, six uint32} and the answer to the hello {tag, its process id as int32}.
inline constexpr std::uint32_t kTagLevels = 1;
inline constexpr std::uint32_t kTagScreenColors = 2;
inline constexpr std::uint32_t kTagHelloAnswer = 3;
inline constexpr std::uint32_t kTagStyle = 10;
inline constexpr std::uint32_t kTagCommand = 100;

// Commands (the value word is 0 unless said otherwise).
enum Command : std::int32_t {
    kCmdHello = 0,             // value: the main program's process id
    kCmdStartLevels = 1,       // start sending level frames
    kCmdStopLevels = 2,        // stop sending level frames
    kCmdStartScreenColors = 3, // start sending screen colours (where the display allows it)
    kCmdStopScreenColors = 4,  // stop sending screen colours
    kCmdQuit = 5,              // end the companion
    kCmdRedWeight = 6,         // value 0-255: weight of red in the screen colours (255 = as read)
    kCmdGreenWeight = 7,
    kCmdBlueWeight = 8,
};

inline constexpr std::size_t kMaxLevelValues = 500;
inline constexpr std::size_t kMaxLevelBytes = kMaxLevelValues * sizeof(std::int32_t); // 2000
inline constexpr std::size_t kScreenWords = 6;
inline constexpr std::size_t kScreenBytes = kScreenWords * sizeof(std::uint32_t); // 24
inline constexpr std::size_t kStyleBytes = 40;
inline constexpr std::size_t kTagBytes = sizeof(std::uint32_t);
// The largest record either side sends; a longer one is cut by the socket and is refused.
inline constexpr std::size_t kMaxRecordBytes = kTagBytes + kMaxLevelBytes;

// The level frame the companion sends: 25 groups of 5 sub-bands (125 values), log-spaced from
// kLowestHz to kHighestHz; value = 25 per dB above -60 dBFS (0 below it).
inline constexpr std::size_t kFrameBands = 125;
inline constexpr double kLowestHz = 40.0;
inline constexpr double kHighestHz = 16000.0;

// Screen colour words: 0, 1, 2 the red, green and blue (0-255) of the screen's edges together;
// 3, 4, 5 the colour 0x00RRGGBB of the left edge, the right edge, and the top and bottom edges.

inline std::string RuntimeFolder() {
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    return folder && *folder ? std::string(folder) : std::string();
}
inline std::string LockPath(const std::string& folder) {
    return folder + "/" + kInstanceName + kLockSuffix;
}
inline std::string SocketPath(const std::string& folder) {
    return folder + "/" + kInstanceName + kSocketSuffix;
}

} // namespace vpc::audiocapture
