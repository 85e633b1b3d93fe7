// Small text helpers shared by the whole program: time stamps, hex, UTF conversions and
// control-name splitting.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vpc::data {

// The local date and time as "YYYY_MM_DD_hh_mm_ss_mmm", e.g. 2024_03_05_14_07_09_042.
std::string MakeTimeStamp();
// The same for a given moment (local time).
std::string MakeTimeStamp(std::chrono::system_clock::time_point when);
// The same from broken-down fields (no time zone involved).
std::string FormatTimeStamp(int year, int month, int day, int hour, int minute, int second,
                            int millisecond);

// The value as eight upper-case hexadecimal digits, most significant first.
std::string ToHex8(std::uint32_t value);

// Parses up to eight hexadecimal digits (an optional "0x" before them). False on anything
// else, including an empty text.
bool ParseHex32(std::string_view text, std::uint32_t& value);

// UTF-8 <-> wide text. Invalid UTF-8 sequences and lone surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// Removes every byte equal to c.
void RemoveChar(std::string& text, char c);

// True when the text is empty after white space is trimmed from both ends.
bool IsBlank(std::string_view text);

struct NameNumber {
    bool ok = false;
    std::string prefix; // up to and including the last "_"
    int number = 0;
};

// Splits a numbered control name ("DPI_slider_3" -> "DPI_slider_", 3). ok is false when the
// name has no "_" or the rest is not a decimal number that fits an int.
NameNumber SplitNameNumber(std::string_view name);

// The file name of the path without folder and extension.
std::string FileTitle(const std::filesystem::path& path);

// Up: value + step when that is below limit, else 0. Down: value - step (as a byte) when
// that is below limit, else limit - step.
std::uint8_t StepValue(bool up, std::uint8_t limit, std::uint8_t value, std::uint8_t step);

} // namespace vpc::data
