#include "KeyLayout.h"

#include <algorithm>

namespace vpc::lighting {
namespace {

using Column = std::array<std::uint8_t, kMatrixRows>;

// Keypad key matrix by column, rows 0 to 5. The 255 in column 4 is neither a key
// nor the no-key value; every user skips it because it is not below 170.
constexpr std::array<Column, 6> kKeypadColumns = {{
    {170, 0, 110, 34, 170, 170},
    {38, 39, 40, 41, 170, 170},
    {59, 60, 61, 119, 170, 170},
    {76, 77, 78, 170, 170, 170},
    {97, 98, 99, 255, 170, 170},
    {116, 170, 117, 118, 170, 170},
}};

constexpr std::array<std::uint8_t, 21> kKeypadKeyOrder = {
    34, 110, 0, 170, 38, 59, 76, 97, 116, 117, 118, 119, 41, 40, 39, 60, 77, 98, 99, 78, 61};

// Keypad band table rows 0 to 3; rows 4 to 11 hold no key.
constexpr std::array<std::array<std::uint8_t, kBandWidth>, 4> kKeypadBands = {{
    {60, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
    {76, 59, 38, 39, 40, 61, 78, 77, 170, 170, 170, 170},
    {110, 41, 119, 99, 98, 97, 34, 0, 255, 170, 170, 170},
    {116, 117, 118, 170, 170, 170, 170, 170, 170, 170, 170, 170},
}};

// Matrix columns lit one after another by the first phase of the scripted effect.
constexpr std::array<int, kScriptRows> kKeypadScriptColumns = {0, 1, 2, 3, 4, 5, 4, 3, 2, 1,
                                                               0, 1, 2, 3, 4, 5, 4, 3, 2, 1};

// Serpentine over a full keyboard; the keypad's keys all lie on it.
std::array<std::uint8_t, kLightCount> MakeTrailPath() {
    std::array<std::uint8_t, kLightCount> path{};
    path.fill(kNoKey);
    std::size_t n = 0;
    auto add = [&](int key) { path[n++] = static_cast<std::uint8_t>(key); };
    auto up = [&](int from, int to) {
        for (int k = from; k <= to; ++k) {
            add(k);
        }
    };
    auto down = [&](int from, int to) {
        for (int k = from; k >= to; --k) {
            add(k);
        }
    };
    up(0, 15);
    up(17, 20);
    down(41, 21);
    up(42, 61);
    add(119);
    down(78, 75);
    add(kNoKey);
    down(74, 63);
    add(84);
    add(kNoKey);
    up(85, 99);
    down(118, 105);
    return path; // the rest stays 170
}

void FillPhaseLayout(KeyLayout& layout) {
    layout.phaseLayout.fill(kNoKey);
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            layout.phaseLayout[static_cast<std::size_t>(x * kPhaseRows + r)] = layout.KeyAt(x, r);
        }
    }
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            layout.pulseStart[x][r] = static_cast<std::uint8_t>((24 * x + 40 * r) % 192);
        }
    }
}

// Sweep row s lights the diagonal x + r = s mod period of the matrix.
void FillSweep(KeyLayout& layout, int period) {
    for (int s = 0; s < kSweepRows; ++s) {
        auto& row = layout.sweep[s];
        row.fill(kNoKey);
        const int diagonal = s % period;
        std::size_t n = 0;
        for (int r = 0; r < kMatrixRows && n < row.size(); ++r) {
            const int x = diagonal - r;
            const std::uint8_t key = layout.KeyAt(x, r);
            if (IsLight(key)) {
                row[n++] = key;
            }
        }
    }
}

void FillScript(KeyLayout& layout, const std::array<int, kScriptRows>& columns) {
    for (int i = 0; i < kScriptRows; ++i) {
        for (int r = 0; r < kScriptWidth; ++r) {
            layout.scriptRows[i][r] = layout.KeyAt(columns[i], r);
        }
    }
    const std::size_t count = layout.keys.size();
    for (int n = 0; n < kScriptPairs; ++n) {
        layout.scriptPairs[n][0] = count == 0 ? kNoKey : layout.keys[n % count];
        layout.scriptPairs[n][1] = count == 0 ? kNoKey : layout.keys[(n + count / 2) % count];
    }
}

KeyLayout MakeKeypadLayout() {
    KeyLayout layout;
    layout.matrix.fill(kNoKey);
    for (std::size_t x = 0; x < kKeypadColumns.size(); ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            layout.matrix[x * kMatrixRows + r] = kKeypadColumns[x][r];
        }
    }
    layout.keyOrder.assign(kKeypadKeyOrder.begin(), kKeypadKeyOrder.end());
    layout.trailPath = MakeTrailPath();
    for (auto& row : layout.bands) {
        row.fill(kNoKey);
    }
    std::copy(kKeypadBands.begin(), kKeypadBands.end(), layout.bands.begin());
    layout.scriptRippleKey = 60; // the centre key
    layout.scriptEndKey = 118;   // Enter, the far corner
    layout.beatRippleKey = 60;
    layout.Finish();
    FillPhaseLayout(layout);
    FillSweep(layout, 13);
    FillScript(layout, kKeypadScriptColumns);
    return layout;
}

KeyLayout MakeFullMatrixLayout() {
    KeyLayout layout;
    for (std::size_t i = 0; i < layout.matrix.size(); ++i) {
        layout.matrix[i] = static_cast<std::uint8_t>(i);
    }
    for (unsigned k = 0; k < kLightCount; ++k) {
        layout.keyOrder.push_back(static_cast<std::uint8_t>(k));
    }
    layout.trailPath = MakeTrailPath();
    for (int r = 0; r < kBandRows; ++r) {
        for (int i = 0; i < kBandWidth; ++i) {
            const int key = r * kBandWidth + i;
            layout.bands[r][i] = static_cast<std::uint8_t>(key < 170 ? key : kNoKey);
        }
    }
    layout.scriptRippleKey = 60;
    layout.scriptEndKey = 118;
    layout.beatRippleKey = 51;
    layout.Finish();
    FillPhaseLayout(layout);
    FillSweep(layout, kSweepRows);
    std::array<int, kScriptRows> columns{};
    for (int i = 0; i < kScriptRows; ++i) {
        columns[i] = i;
    }
    FillScript(layout, columns);
    return layout;
}

} // namespace

std::optional<MatrixCell> KeyLayout::CellOf(unsigned key) const {
    if (!IsLight(key)) {
        return std::nullopt;
    }
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            if (KeyAt(x, r) == key) {
                return MatrixCell{x, r};
            }
        }
    }
    return std::nullopt;
}

void KeyLayout::Finish() {
    keys.clear();
    inKeyOrder.fill(false);
    for (const std::uint8_t key : keyOrder) {
        if (IsLight(key) && !inKeyOrder[key]) {
            inKeyOrder[key] = true;
            keys.push_back(key);
        }
    }
    columnsUsed = 0;
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            if (IsLight(KeyAt(x, r))) {
                columnsUsed = x + 1;
            }
        }
    }
}

const KeyLayout& KeypadLayout() {
    static const KeyLayout layout = MakeKeypadLayout();
    return layout;
}

const KeyLayout& FullMatrixLayout() {
    static const KeyLayout layout = MakeFullMatrixLayout();
    return layout;
}

} // namespace vpc::lighting
