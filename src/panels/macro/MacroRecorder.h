// The rows of the macro editor and how recording fills them: each row is one action (its
// JSON and the delay text its edit shows); key and mouse events of a recording are turned
// into rows at the recording's position with the delays of its time mode. Free of widgets.
#pragma once

#include "MacroTables.h"

#include <json/json.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vpc::panels::macro {

inline constexpr std::size_t kMaxRows = 4000;
inline constexpr int kMaxDelay = 65535;
inline constexpr int kInitialFixedDelay = 50;

// Where a recording puts what it records (the hook modes 4, 8, 16 and 32).
enum class RecordPosition { Append = 0, Before = 1, After = 2, Replace = 3 };
std::optional<RecordPosition> PositionOfHookMode(int hookMode);

// How delays are taken: 1 measured, 2 the fixed delay, 3 none.
enum class TimeMode { Recorded = 1, Fixed = 2, Ignored = 3 };

// A keyboard event as the hook delivers it: key down (0x100, 0x104) or up (0x101, 0x105), and
// the event's record: virtual key, set-1 scan code, flags (bit 0: E0 prefix), time.
struct KeyHookEvent {
    std::uint32_t message = 0;
    std::uint32_t virtualKey = 0;
    std::uint32_t scanCode = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
};
// A mouse button event: the window message, the screen point and the mouse data (high 16
// bits: the X button, 1 the first, 2 the second).
struct MouseHookEvent {
    std::uint32_t message = 0;
    int x = 0;
    int y = 0;
    std::uint32_t mouseData = 0;
};
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom outside
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct MacroRow {
    Json::Value action; // "Action", "Button", "Type", "Delay"
    std::string delayText;
};

class CMacroRecorder {
public:
    // --- the rows ---------------------------------------------------------------------------
    // Rows of a macro file's actions (delays of 65535 and above, and negative ones, show as
    // 65535).
    void Load(const std::vector<Json::Value>& events);
    // The actions with the delay each row's edit shows.
    std::vector<Json::Value> Events() const;
    const std::vector<MacroRow>& Rows() const { return m_rows; }
    // An edited delay: digits only, held to 0-65535.
    void SetDelayText(int row, const std::string& text);
    int Selected() const { return m_selected; }
    void Select(int row) { m_selected = row >= 0 && row < RowCount() ? row : -1; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }

    // --- recording --------------------------------------------------------------------------
    // Starts a recording: the time mode, the tick it starts at; the fixed delay is read from
    // its edit's text in the fixed mode. The repeat memories start empty.
    void BeginRecording(TimeMode mode, std::uint64_t nowMs, const std::string& fixedDelayText);
    // Reads the fixed delay edit: the text the edit shows afterwards when it changed.
    std::optional<std::string> ReadFixedDelay(const std::string& text);
    int FixedDelay() const { return m_fixedDelay; }
    TimeMode Mode() const { return m_mode; }

    // True when the event made or changed a row.
    bool RecordKey(RecordPosition position, const KeyHookEvent& event, std::uint64_t nowMs);
    bool RecordMouse(RecordPosition position, const MouseHookEvent& event, std::uint64_t nowMs,
                     const std::optional<ScreenRect>& stopButton);

    // --- editing ----------------------------------------------------------------------------
    // A mouse button (0x0201 ... 0x020C, variant 0 forward, 1 back) or move (0x0200, variant
    // 0 left, 1 right, 2 up, 3 down, the distance text's low 8 bits) after the selected row.
    bool InsertMouseAction(std::uint32_t message, int variant, const std::string& distanceText);
    bool MoveActionUp();
    bool MoveActionDown();
    bool MoveActionToTop();
    bool MoveActionToBottom();
    bool DeleteAction();
    void DeleteAllActions();

private:
    struct Translated {
        int type = 0;
        int button = 0;
        bool down = false;
    };
    bool AddRow(RecordPosition position, const Translated& action, std::uint64_t nowMs);
    bool ReplaceRow(const Translated& action);
    static MacroRow MakeRow(const Translated& action, int delay, bool delayAsNumber);

    std::vector<MacroRow> m_rows;
    int m_selected = -1;
    TimeMode m_mode = TimeMode::Recorded;
    bool m_previousAction = false;
    int m_fixedDelay = kInitialFixedDelay;
    std::uint64_t m_lastTick = 0;
    std::array<std::optional<ScanCode>, 4> m_keyMemory;
    std::array<std::optional<std::uint32_t>, 4> m_mouseMemory;
};

} // namespace vpc::panels::macro
