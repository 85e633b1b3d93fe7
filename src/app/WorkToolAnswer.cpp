#include "WorkToolAnswer.h"

#include <QtEndian>
#include <array>

namespace {

constexpr std::array<std::uint32_t, 4> kHeader = {2, 3, 0, 2};
constexpr int kCountOffset = 16;
constexpr int kRowsOffset = 20;
constexpr int kRowSize = 12;

void PutLittleEndian(QByteArray& block, int offset, std::uint32_t value) {
    qToLittleEndian(value, block.data() + offset);
}

} // namespace

QByteArray BuildWorkToolBlock(std::span<const WorkToolDevice> devices) {
    QByteArray block(kWorkToolBlockSize, '\0');
    for (std::size_t i = 0; i < kHeader.size(); ++i) {
        PutLittleEndian(block, static_cast<int>(4 * i), kHeader[i]);
    }
    const std::size_t capacity = (kWorkToolBlockSize - kRowsOffset) / kRowSize;
    const std::size_t rows = std::min(devices.size(), capacity);
    PutLittleEndian(block, kCountOffset, static_cast<std::uint32_t>(rows));
    for (std::size_t r = 0; r < rows; ++r) {
        const int offset = kRowsOffset + static_cast<int>(r) * kRowSize;
        PutLittleEndian(block, offset, devices[r].vendorId);
        PutLittleEndian(block, offset + 4, devices[r].productId);
        PutLittleEndian(block, offset + 8, devices[r].modelCode);
    }
    return block;
}
