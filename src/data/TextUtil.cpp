#include "TextUtil.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace vpc::data {

std::string FormatTimeStamp(int year, int month, int day, int hour, int minute, int second,
                            int millisecond) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d_%02d_%02d_%02d_%02d_%02d_%03d", year, month, day, hour,
                  minute, second, millisecond);
    return buffer;
}

std::string MakeTimeStamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto sinceEpoch = when.time_since_epoch();
    const int millisecond = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return FormatTimeStamp(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec, millisecond < 0 ? 0 : millisecond);
}

std::string MakeTimeStamp() {
    return MakeTimeStamp(std::chrono::system_clock::now());
}

std::string ToHex8(std::uint32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return text;
}

bool ParseHex32(std::string_view text, std::uint32_t& value) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return false;
    std::uint32_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

} // namespace

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            // UTF-16: join surrogate pairs.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(text[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if (IsSurrogate(c) || c > 0x10FFFF)
            c = kReplacement;
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        }
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (next & 0x3F);
        }
        // Reject overlong forms, surrogates and values past U+10FFFF.
        if (valid && ((length == 3 && c < 0x800) || (length == 4 && c < 0x10000) ||
                      IsSurrogate(c) || c > 0x10FFFF))
            valid = false;
        if (!valid) {
            c = kReplacement;
            length = 1;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0x10000) {
                const char32_t v = c - 0x10000;
                out += static_cast<wchar_t>(0xD800 + (v >> 10));
                out += static_cast<wchar_t>(0xDC00 + (v & 0x3FF));
                i += static_cast<std::size_t>(length);
                continue;
            }
        }
        out += static_cast<wchar_t>(c);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

void RemoveChar(std::string& text, char c) {
    std::erase(text, c);
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos;
}

NameNumber SplitNameNumber(std::string_view name) {
    NameNumber result;
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos)
        return result;
    const std::string_view digits = name.substr(underscore + 1);
    int number = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), number, 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return result;
    result.ok = true;
    result.prefix = std::string(name.substr(0, underscore + 1));
    result.number = number;
    return result;
}

std::string FileTitle(const std::filesystem::path& path) {
    return path.stem().string();
}

std::uint8_t StepValue(bool up, std::uint8_t limit, std::uint8_t value, std::uint8_t step) {
    if (up) {
        const int next = value + step;
        return next < limit ? static_cast<std::uint8_t>(next) : 0;
    }
    const auto next = static_cast<std::uint8_t>(value - step);
    return next < limit ? next : static_cast<std::uint8_t>(limit - step);
}

} // namespace vpc::data
