// Where the keys of a keyboard sit for the lighting effects: the key matrix, the key
// order, the trail path and the band, phase, sweep and script tables of one layout.
#pragma once

#include "LightTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vpc::lighting {

inline constexpr int kMatrixColumns = 23;
inline constexpr int kMatrixRows = 6;
inline constexpr int kPhaseRows = 7;
inline constexpr int kBandRows = 12;
inline constexpr int kBandWidth = 12;
inline constexpr int kSweepRows = 52;
inline constexpr int kSweepWidth = 12;
inline constexpr int kScriptRows = 20;
inline constexpr int kScriptWidth = 6;
inline constexpr int kScriptPairs = 16;

// A matrix position.
struct MatrixCell {
    int column = 0;
    int row = 0;
};

// Every table an effect reads to find keys. Entries at or above 170 mean "no key".
struct KeyLayout {
    // `KeypadMatrix`: UI key index of column x, row r at [x * 6 + r].
    std::array<std::uint8_t, kMatrixColumns * kMatrixRows> matrix{};
    // `KeyOrderList`: the keys in panel order, 170 for a gap.
    std::vector<std::uint8_t> keyOrder;
    // Trail path of the trail effect: 170 UI key indexes.
    std::array<std::uint8_t, kLightCount> trailPath{};
    // Band table: 12 rows of 12 UI key indexes.
    std::array<std::array<std::uint8_t, kBandWidth>, kBandRows> bands{};
    // Phase layout of the twinkle and pulse effects: column x, row r at [x * 7 + r].
    std::array<std::uint8_t, kMatrixColumns * kPhaseRows> phaseLayout{};
    // Start phases of the pulse effect by column and row.
    std::array<std::array<std::uint8_t, kMatrixRows>, kMatrixColumns> pulseStart{};
    // Sweep table: the keys lit at each of the 52 sweep steps.
    std::array<std::array<std::uint8_t, kSweepWidth>, kSweepRows> sweep{};
    // Scripted effect: the rows of its first phase and the key pairs of its second.
    std::array<std::array<std::uint8_t, kScriptWidth>, kScriptRows> scriptRows{};
    std::array<std::array<std::uint8_t, 2>, kScriptPairs> scriptPairs{};
    // Keys the scripted effect starts its ripple from and waits for.
    std::uint8_t scriptRippleKey = kNoKey;
    std::uint8_t scriptEndKey = kNoKey;
    // Key the music beat ripple starts from.
    std::uint8_t beatRippleKey = kNoKey;
    // Number of matrix columns that hold keys (row bars of the music effect span them).
    int columnsUsed = kMatrixColumns;

    // Derived: the distinct keys of the key order (gaps skipped) and a membership table.
    std::vector<std::uint8_t> keys;
    std::array<bool, kLightCount> inKeyOrder{};

    std::uint8_t KeyAt(int column, int row) const {
        if (column < 0 || column >= kMatrixColumns || row < 0 || row >= kMatrixRows) {
            return kNoKey;
        }
        return matrix[static_cast<std::size_t>(column * kMatrixRows + row)];
    }
    // The first matrix cell that holds a key, if any.
    std::optional<MatrixCell> CellOf(unsigned key) const;
    // The key itself when it is in the key order, else 170 (the key-order lookup).
    std::uint8_t KeyOrderLookup(unsigned key) const {
        return IsLight(key) && inKeyOrder[key] ? static_cast<std::uint8_t>(key) : kNoKey;
    }
    // Recomputes the derived members after the tables changed.
    void Finish();
};

// The 21-key keypad: every table laid out for its keys.
const KeyLayout& KeypadLayout();
// A keyboard whose matrix is full (every cell a key) and whose key order holds all
// 170 light slots: the heaviest load the effects can see.
const KeyLayout& FullMatrixLayout();

} // namespace vpc::lighting
