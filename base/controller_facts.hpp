#pragma once
// What every QUARN controller is, fixed by its hardware and its firmware:
// the signals a program can use, what it answers to out of the box, and the
// dates its timer values can hold. Everything that counts relays, timers or
// inputs, or offers the default host and password, takes them from here.

#include <cstddef>
#include <string_view>

namespace quarn {

// Relays R0-R7: the outputs a program switches by its conditions.
inline constexpr int kRelayCount = 8;
// Timers T0-T7: an on and an off instant each.
inline constexpr int kTimerCount = 8;
// Inputs S0-S3: the switches wired to the controller.
inline constexpr int kInputCount = 4;

// The host name a controller answers to as it comes out of the box; every
// address setting ("upload"/"url", "direct"/"url") starts with it. Short
// enough for the editor's 30-character address field.
inline constexpr std::u16string_view kDefaultControllerHost = u"quarn";

// The password of the controller's user admin as it comes out of the box:
// what quarnctl and quarnsim take when none is given, and (as UTF-16) what
// an upload offers until the user stores another.
inline constexpr char kDefaultPasswordBytes[] = "tovel";
inline constexpr std::string_view kDefaultPassword = kDefaultPasswordBytes;

// An ASCII text as UTF-16 units, made at compile time, so that the password
// is written once for the command line's bytes and the device link's UTF-16.
template <std::size_t N>
struct AsciiUtf16 {
    char16_t units[N]{};
    constexpr explicit AsciiUtf16(const char (&text)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            units[i] = static_cast<char16_t>(text[i]);
    }
    constexpr std::u16string_view View() const { return {units, N - 1}; }
};
inline constexpr AsciiUtf16 kDefaultPasswordUnits{kDefaultPasswordBytes};
inline constexpr std::u16string_view kDefaultUploadPassword = kDefaultPasswordUnits.View();

// The dates a timer value in the file can hold: 2000-01-01 (the start of its
// count of seconds) to 2099-12-31; the editor's date fields offer these.
struct FileDateLimit {
    int year;
    int month;
    int day;
};
inline constexpr FileDateLimit kFirstFileDate{2000, 1, 1};
inline constexpr FileDateLimit kLastFileDate{2099, 12, 31};

}  // namespace quarn
