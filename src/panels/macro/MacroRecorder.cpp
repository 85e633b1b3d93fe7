#include "MacroRecorder.h"

#include "KeyNames.h"

#include <algorithm>
#include <charconv>

namespace vpc::panels::macro {

namespace {

// The decimal number the text starts with (after blanks), 0 when none.
long long LeadingNumber(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return 0;
    long long value = 0;
    const char* begin = text.data() + first;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    return error == std::errc() && end != begin ? value : 0;
}

int DelayOf(const Json::Value& delay) {
    long long value = 0;
    if (delay.isString())
        value = LeadingNumber(delay.asString());
    else if (delay.isIntegral())
        value = delay.isUInt64() ? static_cast<long long>(std::min<std::uint64_t>(
                                       delay.asUInt64(), static_cast<std::uint64_t>(kMaxDelay)))
                                 : delay.asInt64();
    if (value >= kMaxDelay || value < 0)
        return kMaxDelay;
    return static_cast<int>(value);
}

} // namespace

std::optional<RecordPosition> PositionOfHookMode(int hookMode) {
    switch (hookMode) {
    case 4:
        return RecordPosition::Append;
    case 8:
        return RecordPosition::Before;
    case 16:
        return RecordPosition::After;
    case 32:
        return RecordPosition::Replace;
    default:
        return std::nullopt;
    }
}

void CMacroRecorder::Load(const std::vector<Json::Value>& events) {
    m_rows.clear();
    m_selected = -1;
    for (const Json::Value& event : events) {
        if (m_rows.size() >= kMaxRows)
            break;
        m_rows.push_back({event, std::to_string(DelayOf(event["Delay"]))});
    }
}

std::vector<Json::Value> CMacroRecorder::Events() const {
    std::vector<Json::Value> events;
    events.reserve(m_rows.size());
    for (const MacroRow& row : m_rows) {
        Json::Value event = row.action;
        event["Delay"] = row.delayText.empty() ? std::string("0") : row.delayText;
        events.push_back(event);
    }
    return events;
}

void CMacroRecorder::SetDelayText(int row, const std::string& text) {
    if (row < 0 || row >= RowCount())
        return;
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9' && digits.size() < 6)
            digits += c;
    const long long value = LeadingNumber(digits);
    m_rows[static_cast<std::size_t>(row)].delayText =
        std::to_string(std::clamp<long long>(value, 0, kMaxDelay));
}

void CMacroRecorder::BeginRecording(TimeMode mode, std::uint64_t nowMs,
                                    const std::string& fixedDelayText) {
    m_mode = mode;
    m_lastTick = nowMs;
    if (mode == TimeMode::Fixed)
        ReadFixedDelay(fixedDelayText);
    // a key held when the last recording ended must not hide the first press of this one
    m_keyMemory.fill(std::nullopt);
    m_mouseMemory.fill(std::nullopt);
}

std::optional<std::string> CMacroRecorder::ReadFixedDelay(const std::string& text) {
    long long value = LeadingNumber(text);
    if (value < 0)
        value = 0;
    if (value == m_fixedDelay)
        return std::nullopt;
    value = std::min<long long>(value, kMaxDelay);
    m_fixedDelay = static_cast<int>(value);
    return std::to_string(value);
}

MacroRow CMacroRecorder::MakeRow(const Translated& action, int delay, bool delayAsNumber) {
    MacroRow row;
    row.action["Action"] = action.down ? "down" : "up";
    row.action["Button"] = action.button;
    row.action["Type"] = action.type;
    if (delayAsNumber)
        row.action["Delay"] = delay;
    else
        row.action["Delay"] = std::to_string(delay);
    row.delayText = std::to_string(delay);
    return row;
}

bool CMacroRecorder::RecordKey(RecordPosition position, const KeyHookEvent& event,
                               std::uint64_t nowMs) {
    const bool down = event.message == 0x100 || event.message == 0x104;
    const ScanCode code{static_cast<std::uint8_t>(event.scanCode & 0xFF), (event.flags & 1) != 0};
    std::optional<ScanCode>& memory = m_keyMemory[static_cast<std::size_t>(position)];
    if (down) {
        if (memory && *memory == code)
            return false; // the key repeats while held
        memory = code;
    } else if (memory && *memory == code) {
        memory.reset();
    }
    if (event.scanCode > 0xFF)
        return false;
    const std::optional<int> row = FindScanCodeRow(code);
    if (!row)
        return false;
    const auto& key = data::KeyboardKeyTable()[static_cast<std::size_t>(*row)];
    Translated action;
    action.down = down;
    if (key.assignment.code2 != 0) {
        action.type = 10;
        action.button = key.assignment.code2;
    } else if (key.assignment.code1 != 0) {
        action.type = 9;
        action.button = key.assignment.code1;
    } else {
        return false;
    }
    if (position == RecordPosition::Replace)
        return ReplaceRow(action);
    return AddRow(position, action, nowMs);
}

bool CMacroRecorder::RecordMouse(RecordPosition position, const MouseHookEvent& event,
                                 std::uint64_t nowMs, const std::optional<ScreenRect>& stopButton) {
    const auto& table = MouseActionTable();
    std::optional<std::size_t> row;
    if (event.message == mouse_message::kXDown || event.message == mouse_message::kXUp) {
        const std::uint32_t xButton = event.mouseData >> 16;
        const std::size_t first = xButton == 2 ? 6 : xButton == 1 ? 8 : 0;
        if (first != 0)
            row = first + (event.message == mouse_message::kXUp ? 1 : 0);
    } else {
        for (std::size_t i = 0; i < 6; ++i)
            if (table[i].message == event.message)
                row = i;
    }
    if (!row)
        return false;
    std::optional<std::uint32_t>& memory = m_mouseMemory[static_cast<std::size_t>(position)];
    if (memory && *memory == event.message)
        return false;
    memory = event.message;
    // the click that stops the recording is not part of it
    if ((event.message == mouse_message::kLeftDown || event.message == mouse_message::kLeftUp) &&
        stopButton && stopButton->Contains(event.x, event.y))
        return false;
    Translated action;
    action.button = table[*row].button;
    action.type = table[*row].typeByte & 0x7F;
    action.down = (table[*row].typeByte & 0x80) != 0;
    if (position == RecordPosition::Replace)
        return ReplaceRow(action);
    return AddRow(position, action, nowMs);
}

bool CMacroRecorder::AddRow(RecordPosition position, const Translated& action,
                            std::uint64_t nowMs) {
    if (m_rows.size() >= kMaxRows)
        return false;
    if (position != RecordPosition::Append && m_selected < 0)
        return false;
    int delay = 0;
    if (m_mode == TimeMode::Fixed) {
        delay = m_fixedDelay;
    } else if (m_mode == TimeMode::Recorded) {
        const std::uint64_t elapsed = nowMs >= m_lastTick ? nowMs - m_lastTick : 0;
        m_lastTick = nowMs;
        delay = elapsed > static_cast<std::uint64_t>(kMaxDelay - 1) ? kMaxDelay
                                                                    : static_cast<int>(elapsed);
    }
    const int selected = m_selected;
    int at = 0;
    int previous = -1; // the row whose delay the new action ends
    switch (position) {
    case RecordPosition::Append:
        at = RowCount();
        previous = at - 1;
        break;
    case RecordPosition::Before:
        at = selected;
        previous = at - 1;
        break;
    case RecordPosition::After:
        at = selected + 1;
        previous = selected;
        break;
    case RecordPosition::Replace:
        return false;
    }
    const bool first = at == 0;
    const int ownDelay = !first && m_mode == TimeMode::Fixed ? m_fixedDelay : 0;
    m_rows.insert(m_rows.begin() + at, MakeRow(action, ownDelay, first));
    if (!first && m_previousAction && previous >= 0) {
        MacroRow& before = m_rows[static_cast<std::size_t>(previous)];
        before.action["Delay"] = std::to_string(delay);
        before.delayText = std::to_string(delay);
    }
    m_previousAction = true;
    switch (position) {
    case RecordPosition::Append:
        m_selected = RowCount() - 1;
        break;
    case RecordPosition::Before:
        m_selected = selected + 1;
        break;
    case RecordPosition::After:
        m_selected = at;
        break;
    case RecordPosition::Replace:
        break;
    }
    return true;
}

bool CMacroRecorder::ReplaceRow(const Translated& action) {
    if (m_selected < 0 || m_selected >= RowCount())
        return false;
    Json::Value& json = m_rows[static_cast<std::size_t>(m_selected)].action;
    if (!json.isObject())
        return false;
    json["Button"] = action.button;
    json["Type"] = action.type;
    return true;
}

bool CMacroRecorder::InsertMouseAction(std::uint32_t message, int variant,
                                       const std::string& distanceText) {
    const auto& table = MouseActionTable();
    Translated action;
    std::uint8_t typeByte = 0;
    switch (message) {
    case mouse_message::kLeftDown:
    case mouse_message::kLeftUp:
    case mouse_message::kRightDown:
    case mouse_message::kRightUp:
    case mouse_message::kMiddleDown:
    case mouse_message::kMiddleUp: {
        const auto row =
            std::find_if(table.begin(), table.begin() + 6,
                         [&](const MouseActionRow& r) { return r.message == message; });
        typeByte = row->typeByte;
        action.button = row->button;
        break;
    }
    case mouse_message::kXDown:
    case mouse_message::kXUp:
        typeByte = message == mouse_message::kXDown ? 0x81 : 0x01;
        action.button = variant == 0 ? 0x10 : 0x08;
        break;
    case mouse_message::kMove:
        if (variant < 0 || variant > 3)
            return false;
        typeByte = table[static_cast<std::size_t>(10 + variant)].typeByte;
        action.button =
            static_cast<int>(static_cast<unsigned long long>(LeadingNumber(distanceText)) & 0xFF);
        break;
    default:
        return false;
    }
    action.type = typeByte & 0x7F;
    action.down = (typeByte & 0x80) != 0;
    const int selected = m_selected < 0 ? 0 : m_selected;
    const int at = m_rows.empty() ? 0 : selected + 1;
    m_rows.insert(m_rows.begin() + std::min(at, RowCount()), MakeRow(action, m_fixedDelay, false));
    m_selected = std::min(at, RowCount() - 1);
    return true;
}

bool CMacroRecorder::MoveActionUp() {
    if (m_selected <= 0 || m_selected >= RowCount())
        return false;
    std::swap(m_rows[static_cast<std::size_t>(m_selected)],
              m_rows[static_cast<std::size_t>(m_selected - 1)]);
    // the moved row comes back as stored: an unsaved edit of its delay is dropped
    MacroRow& moved = m_rows[static_cast<std::size_t>(m_selected - 1)];
    moved.delayText = std::to_string(DelayOf(moved.action["Delay"]));
    --m_selected;
    return true;
}

bool CMacroRecorder::MoveActionDown() {
    if (m_selected < 0 || m_selected >= RowCount() - 1)
        return false;
    std::swap(m_rows[static_cast<std::size_t>(m_selected)],
              m_rows[static_cast<std::size_t>(m_selected + 1)]);
    MacroRow& moved = m_rows[static_cast<std::size_t>(m_selected + 1)];
    moved.delayText = std::to_string(DelayOf(moved.action["Delay"]));
    ++m_selected;
    return true;
}

bool CMacroRecorder::MoveActionToTop() {
    if (m_selected <= 0 || m_selected >= RowCount())
        return false;
    MacroRow moved = m_rows[static_cast<std::size_t>(m_selected)];
    moved.delayText = std::to_string(DelayOf(moved.action["Delay"]));
    m_rows.erase(m_rows.begin() + m_selected);
    m_rows.insert(m_rows.begin(), moved);
    m_selected = 0;
    return true;
}

bool CMacroRecorder::MoveActionToBottom() {
    if (m_selected < 0 || m_selected >= RowCount() - 1)
        return false;
    MacroRow moved = m_rows[static_cast<std::size_t>(m_selected)];
    moved.delayText = std::to_string(DelayOf(moved.action["Delay"]));
    m_rows.erase(m_rows.begin() + m_selected);
    m_rows.push_back(moved);
    m_selected = RowCount() - 1;
    return true;
}

bool CMacroRecorder::DeleteAction() {
    if (m_selected < 0 || m_selected >= RowCount())
        return false;
    m_rows.erase(m_rows.begin() + m_selected);
    m_selected = -1;
    return true;
}

void CMacroRecorder::DeleteAllActions() {
    m_rows.clear();
    m_selected = -1;
}

} // namespace vpc::panels::macro
