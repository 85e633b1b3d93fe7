#include "CCommandChannel.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace vpc::hid {

namespace {
constexpr int kMaxStaleReports = 32;
}

CCommandChannel::CCommandChannel(std::shared_ptr<IHidBackend> backend)
    : m_wired(backend), m_receiver(backend) {}

CCommandChannel::~CCommandChannel() {
    m_enabled.store(false);
    m_wired.Close();
    m_receiver.Close();
}

void CCommandChannel::SetMode(int mode) {
    if (mode == 2) {
        m_mode.store(kModeReceiver);
        m_chunkSize.store(kReceiverChunk);
    } else {
        m_mode.store(kModeWired);
        m_chunkSize.store(kWiredChunk);
    }
}

bool CCommandChannel::SetBlockSize(std::uint16_t size) {
    if (size > kMaxBlockSize)
        return false;
    m_blockSize.store(size);
    return true;
}

int CCommandChannel::Transact(const std::uint8_t* request, std::size_t count, std::uint8_t* reply,
                              std::size_t replySize, std::size_t* bytesRead) {
    return TransactWith(request, count, reply, replySize, bytesRead, false);
}

int CCommandChannel::TransactFast(const std::uint8_t* request, std::size_t count,
                                  std::uint8_t* reply, std::size_t replySize,
                                  std::size_t* bytesRead) {
    return TransactWith(request, count, reply, replySize, bytesRead, true);
}

void CCommandChannel::DrainStaleInput(CHidDevice& device) {
    // a reply that came after its exchange gave up must not pass for the next echo
    std::uint8_t stale[CommandPacket::kSize];
    for (int i = 0; i < kMaxStaleReports; ++i)
        if (!device.Read(stale, sizeof stale, nullptr, 0))
            break;
}

int CCommandChannel::TransactWith(const std::uint8_t* request, std::size_t count,
                                  std::uint8_t* reply, std::size_t replySize,
                                  std::size_t* bytesRead, bool fast) {
    m_busy.fetch_add(1);
    if (bytesRead)
        *bytesRead = 0;
    int result = kNoReply;
    if (m_enabled.load() && request != nullptr) {
        CommandPacket out;
        std::memcpy(out.bytes.data(), request, std::min(count, CommandPacket::kSize));
        // the transfer lock covers the write and both reads, so that no other thread's
        // packet can take this exchange's reply
        std::lock_guard transfer(m_transferLock);
        const bool receiver = m_mode.load() == kModeReceiver;
        CHidDevice& device = receiver ? m_receiver : m_wired;
        const std::uint32_t limit =
            receiver ? (fast ? kFastReceiverLimitMs : kReceiverLimitMs) : kWiredLimitMs;
        DrainStaleInput(device);
        if (!device.Write(out.bytes.data(), CommandPacket::kSize, nullptr, limit)) {
            result = kNotWritten;
        } else {
            for (int attempt = 0; attempt < 2; ++attempt) {
                CommandPacket in;
                std::size_t got = 0;
                if (!device.Read(in.bytes.data(), CommandPacket::kSize, &got, limit))
                    continue;
                if (in.Command() == out.Command()) {
                    if (reply != nullptr)
                        std::memcpy(reply, in.bytes.data(), std::min(replySize, got));
                    if (bytesRead)
                        *bytesRead = std::min(replySize, got);
                    result = kOk;
                    break;
                }
                if (receiver && in.Command() == CommandPacket::kReceiverNoDevice) {
                    result = kReceiverNoDevice;
                    break;
                }
                // an unrelated report: its data never reaches the caller
            }
        }
    }
    m_busy.fetch_sub(1);
    return result;
}

std::recursive_mutex* CCommandChannel::LockFor(LockKind kind) {
    switch (kind) {
    case LockKind::Command:
        return &m_commandLock;
    case LockKind::Light:
        return &m_lightLock;
    case LockKind::None:
        break;
    }
    return nullptr;
}

int CCommandChannel::Exchange(const CommandPacket& request, CommandPacket& reply, bool fast) {
    reply = CommandPacket{};
    std::size_t got = 0;
    const int result = TransactWith(request.bytes.data(), CommandPacket::kSize, reply.bytes.data(),
                                    CommandPacket::kSize, &got, fast);
    if (result != kOk)
        return result;
    if (reply.Status() == CommandPacket::kStatusError)
        return kStatusError;
    if (reply.Status() == CommandPacket::kStatusBusy)
        return kStatusBusy;
    return kOk;
}

int CCommandChannel::SinglePacket(DeviceCommand command, LockKind lock, CommandPacket* replyOut) {
    CommandPacket request = CommandPacket::Make(static_cast<std::uint8_t>(command));
    request.UpdateChecksum();
    CommandPacket reply;
    std::recursive_mutex* mutex = LockFor(lock);
    std::unique_lock<std::recursive_mutex> guard;
    if (mutex)
        guard = std::unique_lock(*mutex);
    const int result = Exchange(request, reply, false);
    if (replyOut)
        *replyOut = reply;
    return result;
}

int CCommandChannel::Chunked(const ChunkPlan& plan) {
    if (!m_enabled.load())
        return kNoReply;
    if (static_cast<std::uint64_t>(plan.baseOffset) + plan.total > kAddressSpace)
        return kNoReply; // would wrap the 16-bit offset: nothing is sent
    CommandPacket packet = CommandPacket::Make(static_cast<std::uint8_t>(plan.command));
    CommandPacket reply;
    std::recursive_mutex* mutex = LockFor(plan.lock);
    std::size_t offset = 0;
    while (offset < plan.total) {
        std::size_t chunk = plan.fixedChunk56 ? CommandPacket::kDataSize : m_chunkSize.load();
        if (chunk == 0 || chunk > CommandPacket::kDataSize)
            chunk = CommandPacket::kDataSize;
        const std::size_t length = std::min(chunk, plan.total - offset);
        packet.SetLength(static_cast<std::uint8_t>(length));
        packet.SetOffset(static_cast<std::uint16_t>(plan.baseOffset + offset));
        if (plan.writeFrom)
            std::memcpy(packet.Data(), plan.writeFrom + offset, length);
        packet.UpdateChecksum();
        if (plan.skipWhileBusy && m_busy.load() != 0) {
            offset += length; // dropped, counts as sent
            continue;
        }
        int result;
        {
            std::unique_lock<std::recursive_mutex> guard;
            if (mutex)
                guard = std::unique_lock(*mutex);
            result = Exchange(packet, reply, plan.fast);
        }
        if (result != kOk)
            return result;
        if (plan.readInto)
            std::memcpy(plan.readInto + offset, reply.Data(), length);
        offset += length;
    }
    return kOk;
}

int CCommandChannel::BeginSession() {
    if (!m_enabled.load())
        return kNoReply;
    return SinglePacket(DeviceCommand::BeginSession, LockKind::Command);
}

int CCommandChannel::EndSession() {
    if (!m_enabled.load())
        return kNoReply;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return SinglePacket(DeviceCommand::EndSession, LockKind::Command);
}

int CCommandChannel::NotifyLightControl() {
    if (!m_enabled.load())
        return kNoReply;
    return SinglePacket(DeviceCommand::NotifyLightControl, LockKind::Command);
}

int CCommandChannel::ReadInfoBlock(std::uint8_t* destination34) {
    if (destination34 == nullptr)
        return kNoReply;
    return Chunked({DeviceCommand::ReadInfoBlock, LockKind::Command, destination34, nullptr,
                    kInfoBlockSize, 0});
}

int CCommandChannel::ReadParamMemory(std::uint8_t* destination, std::size_t length,
                                     std::uint32_t offset) {
    if (destination == nullptr && length > 0)
        return kNoReply;
    return Chunked(
        {DeviceCommand::ReadParamMemory, LockKind::Command, destination, nullptr, length, offset});
}

int CCommandChannel::WriteParamMemory(const std::uint8_t* source, std::size_t length,
                                      std::uint32_t offset) {
    if (source == nullptr && length > 0)
        return kNoReply;
    return Chunked(
        {DeviceCommand::WriteParamMemory, LockKind::Command, nullptr, source, length, offset});
}

int CCommandChannel::ReadKeyTable(std::uint8_t* destination512) {
    if (destination512 == nullptr)
        return kNoReply;
    return Chunked({DeviceCommand::ReadKeyTable, LockKind::Command, destination512, nullptr,
                    m_blockSize.load(), 0});
}

int CCommandChannel::WriteKeyTable(const std::uint8_t* source, int bank) {
    if (bank != 0)
        return kBadBank;
    if (source == nullptr)
        return kNoReply;
    return Chunked(
        {DeviceCommand::WriteKeyTable, LockKind::Command, nullptr, source, m_blockSize.load(), 0});
}

int CCommandChannel::ReadKeyLightMap(std::uint8_t* destination) {
    if (destination == nullptr)
        return kNoReply;
    return Chunked({DeviceCommand::ReadKeyLightMap, LockKind::Command, destination, nullptr,
                    static_cast<std::size_t>(m_blockSize.load() / 3), 0});
}

int CCommandChannel::WriteKeyColours(const std::uint8_t* source, std::size_t length,
                                     std::uint32_t bank, std::uint32_t stride) {
    if (source == nullptr && length > 0)
        return kNoReply;
    const std::uint64_t base = static_cast<std::uint64_t>(bank) * stride;
    if (base >= kAddressSpace)
        return kNoReply;
    return Chunked({DeviceCommand::WriteKeyColours, LockKind::Light, nullptr, source, length,
                    static_cast<std::uint32_t>(base)});
}

int CCommandChannel::WriteLightFrame(const std::uint8_t* source, std::size_t length) {
    if (source == nullptr && length > 0)
        return kNoReply;
    ChunkPlan plan{DeviceCommand::WriteLightFrame, LockKind::Light, nullptr, source, length, 0};
    plan.fast = true;
    plan.skipWhileBusy = true;
    return Chunked(plan);
}

int CCommandChannel::WriteMacroData(const std::uint8_t* source, std::size_t length) {
    if (source == nullptr && length > 0)
        return kNoReply;
    return Chunked({DeviceCommand::WriteMacroData, LockKind::Command, nullptr, source, length, 0});
}

int CCommandChannel::WriteShootData(const std::uint8_t* source, std::size_t length) {
    if (source == nullptr && length > 0)
        return kNoReply;
    ChunkPlan plan{DeviceCommand::WriteShootData, LockKind::None, nullptr, source, length, 0};
    plan.fixedChunk56 = true;
    return Chunked(plan);
}

int CCommandChannel::ReadStatusBlock(std::uint8_t* destination, std::size_t length,
                                     std::uint32_t offset) {
    if (!m_enabled.load() || destination == nullptr || length > CommandPacket::kDataSize ||
        static_cast<std::uint64_t>(offset) + length > kAddressSpace)
        return kNoReply;
    CommandPacket request =
        CommandPacket::Make(static_cast<std::uint8_t>(DeviceCommand::ReadStatusBlock));
    request.SetLength(static_cast<std::uint8_t>(length));
    request.SetOffset(static_cast<std::uint16_t>(offset));
    request.UpdateChecksum();
    CommandPacket reply;
    int result;
    {
        std::lock_guard guard(m_commandLock);
        result = Exchange(request, reply, false);
    }
    if (result == kOk)
        std::memcpy(destination, reply.Data(), length);
    return result;
}

bool CCommandChannel::QueryWirelessLink() {
    if (m_mode.load() != kModeReceiver)
        return true;
    CommandPacket reply;
    const int result = SinglePacket(DeviceCommand::QueryWirelessLink, LockKind::Command, &reply);
    // a status of 0xFF or 0xFE already turned the result into -102 or -103
    return result == kOk && reply.Data()[0] == 0xFF;
}

} // namespace vpc::hid
