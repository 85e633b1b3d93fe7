// The 1024-byte block the program answers to a "WorkTool" query: four fixed
// numbers, then the vendor, product and model of each kind of device it supports.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

struct WorkToolDevice {
    std::uint32_t vendorId = 0;
    std::uint32_t productId = 0;
    std::uint32_t modelCode = 0;
};

inline constexpr int kWorkToolBlockSize = 1024;
// Rows beyond what the block can hold are left out.
QByteArray BuildWorkToolBlock(std::span<const WorkToolDevice> devices);
