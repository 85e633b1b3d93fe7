#include "RippleFronts.h"

namespace vpc::lighting {

void RippleFronts::Clear() {
    for (auto& row : rows_) {
        row.fill(0);
    }
}

void RippleFronts::SetBit(int column, int bit) {
    if (column < 0 || column >= kMatrixColumns || bit < 0 || bit > 7) {
        return;
    }
    for (auto& row : rows_) {
        row[static_cast<std::size_t>(column)] |= static_cast<std::uint8_t>(1u << bit);
    }
}

std::uint8_t RippleFronts::Combined(int column) const {
    if (column < 0 || column >= kMatrixColumns) {
        return 0;
    }
    const auto x = static_cast<std::size_t>(column);
    return static_cast<std::uint8_t>(rows_[0][x] | rows_[1][x] | rows_[2][x] | rows_[3][x]);
}

bool RippleFronts::RestampWhenOnly(int column, int bit) {
    if (bit < 0 || bit > 7 || Combined(column) != (1u << bit)) {
        return false;
    }
    SetBit(column, bit);
    return true;
}

void RippleFronts::Advance() {
    constexpr int last = kMatrixColumns - 1;
    Row& r0 = rows_[0];
    Row& r1 = rows_[1];
    Row& r2 = rows_[2];
    Row& r3 = rows_[3];
    // R0: left and down.
    r0[0] >>= 1;
    for (int x = 1; x <= last; ++x) {
        r0[x - 1] |= r0[x];
        r0[x] >>= 1;
    }
    // R3: left and up.
    for (int x = 1; x <= last + 1; ++x) {
        r3[x - 1] = static_cast<std::uint8_t>(r3[x - 1] << 1);
        if (x <= last) {
            r3[x - 1] |= r3[x];
        }
    }
    // R1: right and down.
    r1[last] >>= 1;
    for (int x = last - 1; x >= 0; --x) {
        r1[x + 1] |= r1[x];
        r1[x] >>= 1;
    }
    // R2: right and up.
    r2[last] = static_cast<std::uint8_t>(r2[last] << 1);
    for (int x = last - 1; x >= 0; --x) {
        r2[x + 1] |= r2[x];
        r2[x] = static_cast<std::uint8_t>(r2[x] << 1);
    }
}

void RippleFronts::Shift() {
    constexpr int last = kMatrixColumns - 1;
    rows_[0].fill(0);
    rows_[2].fill(0);
    Row& r3 = rows_[3];
    for (int x = 1; x <= last; ++x) {
        r3[x - 1] = r3[x];
    }
    r3[last] = 0;
    Row& r1 = rows_[1];
    r1[last] = 0;
    for (int x = last - 1; x >= 0; --x) {
        r1[x + 1] |= r1[x];
        r1[x] = 0;
    }
}

bool RippleFronts::IsEmpty() const {
    for (int x = 0; x < kMatrixColumns; ++x) {
        if (Combined(x) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace vpc::lighting
