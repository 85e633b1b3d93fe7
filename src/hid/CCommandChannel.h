// A device's pair of command interfaces (cable and 2.4 GHz receiver): frames, chunks and
// checksums command packets, waits for the echo and turns the device's answer into a code.
#pragma once

#include "CHidDevice.h"
#include "CommandPacket.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace vpc::hid {

class CCommandChannel {
public:
    // Return codes of Transact and of every command operation.
    static constexpr int kOk = 1;
    static constexpr int kNoReply = 0; // not enabled, nothing read in time, or no echo
    static constexpr int kNotWritten = -1;
    static constexpr int kReceiverNoDevice = -101;
    static constexpr int kStatusError = -102; // status byte 0xFF
    static constexpr int kStatusBusy = -103;  // status byte 0xFE
    static constexpr int kBadBank = -201;

    static constexpr int kModeWired = 0;
    static constexpr int kModeReceiver = 1;
    static constexpr std::uint16_t kMaxBlockSize = 512;
    static constexpr std::uint8_t kWiredChunk = 56;
    static constexpr std::uint8_t kReceiverChunk = 24;
    static constexpr std::uint32_t kWiredLimitMs = 1000;
    static constexpr std::uint32_t kReceiverLimitMs = 5000;
    static constexpr std::uint32_t kFastReceiverLimitMs = 500;
    static constexpr std::size_t kInfoBlockSize = 34;
    static constexpr std::uint32_t kAddressSpace = 65536;

    explicit CCommandChannel(std::shared_ptr<IHidBackend> backend = DefaultHidBackend());
    ~CCommandChannel();
    CCommandChannel(const CCommandChannel&) = delete;
    CCommandChannel& operator=(const CCommandChannel&) = delete;

    // 1 = wired (chunk 56), 2 = receiver (chunk 24); any other value means wired.
    void SetMode(int mode);
    int GetMode() const { return m_mode.load(); }
    std::uint8_t GetChunkSize() const { return m_chunkSize.load(); }
    bool SetBlockSize(std::uint16_t size);
    std::uint16_t GetBlockSize() const { return m_blockSize.load(); }
    bool IsBusy() const { return m_busy.load() != 0; }
    void SetEnabled(bool enabled) { m_enabled.store(enabled); }
    bool IsEnabled() const { return m_enabled.load(); }

    CHidDevice& WiredInterface() { return m_wired; }
    CHidDevice& ReceiverInterface() { return m_receiver; }
    // Order: CommandLock or LightLock first, then TransferLock.
    std::recursive_mutex& TransferLock() { return m_transferLock; }
    std::recursive_mutex& CommandLock() { return m_commandLock; }
    std::recursive_mutex& LightLock() { return m_lightLock; }

    int Transact(const std::uint8_t* request, std::size_t count, std::uint8_t* reply,
                 std::size_t replySize, std::size_t* bytesRead);
    int TransactFast(const std::uint8_t* request, std::size_t count, std::uint8_t* reply,
                     std::size_t replySize, std::size_t* bytesRead);

    int BeginSession();
    int EndSession();
    int ReadInfoBlock(std::uint8_t* destination34);
    int ReadParamMemory(std::uint8_t* destination, std::size_t length, std::uint32_t offset);
    int WriteParamMemory(const std::uint8_t* source, std::size_t length, std::uint32_t offset);
    int ReadKeyTable(std::uint8_t* destination512);
    int WriteKeyTable(const std::uint8_t* source, int bank);
    int WriteKeyColours(const std::uint8_t* source, std::size_t length, std::uint32_t bank,
                        std::uint32_t stride);
    int WriteLightFrame(const std::uint8_t* source, std::size_t length);
    int WriteMacroData(const std::uint8_t* source, std::size_t length);
    int WriteShootData(const std::uint8_t* source, std::size_t length);
    int ReadStatusBlock(std::uint8_t* destination, std::size_t length, std::uint32_t offset);
    int ReadKeyLightMap(std::uint8_t* destination);
    int NotifyLightControl();
    bool QueryWirelessLink();

private:
    enum class LockKind { Command, Light, None };
    struct ChunkPlan {
        DeviceCommand command;
        LockKind lock;
        std::uint8_t* readInto = nullptr;
        const std::uint8_t* writeFrom = nullptr;
        std::size_t total = 0;
        std::uint32_t baseOffset = 0;
        bool fixedChunk56 = false;
        bool fast = false;
        bool skipWhileBusy = false;
    };

    int TransactWith(const std::uint8_t* request, std::size_t count, std::uint8_t* reply,
                     std::size_t replySize, std::size_t* bytesRead, bool fast);
    void DrainStaleInput(CHidDevice& device);
    // One packet as a whole command: Transact, then the status byte. The reply lands in reply.
    int Exchange(const CommandPacket& request, CommandPacket& reply, bool fast);
    int SinglePacket(DeviceCommand command, LockKind lock, CommandPacket* replyOut = nullptr);
    int Chunked(const ChunkPlan& plan);
    std::recursive_mutex* LockFor(LockKind kind);

    CHidDevice m_wired;
    CHidDevice m_receiver;
    std::recursive_mutex m_transferLock;
    std::recursive_mutex m_commandLock;
    std::recursive_mutex m_lightLock;
    std::atomic<std::uint16_t> m_blockSize{kMaxBlockSize};
    std::atomic<int> m_busy{0}; // transactions running now
    std::atomic<bool> m_enabled{false};
    std::atomic<int> m_mode{kModeWired};
    std::atomic<std::uint8_t> m_chunkSize{kReceiverChunk};
};

} // namespace vpc::hid
