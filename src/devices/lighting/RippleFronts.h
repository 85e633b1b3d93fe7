// The four ripple-front rows of the ripple effects: bit r of byte x marks matrix
// column x, row r; each row spreads its fronts towards one corner of the matrix.
#pragma once

#include "KeyLayout.h"

#include <array>
#include <cstdint>

namespace vpc::lighting {

class RippleFronts {
public:
    using Row = std::array<std::uint8_t, kMatrixColumns>;

    void Clear();
    // Sets bit `bit` (0..7) of column `column` in all four rows; out-of-range does nothing.
    void SetBit(int column, int bit);
    // The bits of a column in any of the four rows (0 outside the matrix).
    std::uint8_t Combined(int column) const;
    // Sets the bit again in all four rows when the column holds exactly that bit;
    // returns whether it did.
    bool RestampWhenOnly(int column, int bit);
    // Spreads the fronts by one step: R0 left and down, R1 right and down, R2 right
    // and up, R3 left and up (`AdvanceRippleFronts`).
    void Advance();
    // Moves R3 one column left and R1 one column right, clearing R0 and R2
    // (`ShiftRippleFronts`).
    void Shift();
    // Calls visit(key) for every matrix cell (rows 0..5 only) marked in any row whose
    // key is a real light.
    template <typename Visit> void ForEachMarkedKey(const KeyLayout& layout, Visit visit) const {
        for (int x = 0; x < kMatrixColumns; ++x) {
            const std::uint8_t bits = Combined(x);
            if (bits == 0) {
                continue;
            }
            for (int r = 0; r < kMatrixRows; ++r) {
                if ((bits >> r) & 1u) {
                    const std::uint8_t key = layout.KeyAt(x, r);
                    if (IsLight(key)) {
                        visit(key);
                    }
                }
            }
        }
    }
    const Row& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    bool IsEmpty() const;

private:
    std::array<Row, 4> rows_{};
};

} // namespace vpc::lighting
