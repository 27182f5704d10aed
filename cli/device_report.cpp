#include "cli/device_report.hpp"

#include "base/terminal_text.hpp"
#include "cli/number_options.hpp"

#include <CLI/CLI.hpp>

#include <cmath>

#include "devicelink/narrow_text.hpp"

namespace quarn::cli {

namespace {

std::u16string Ascii(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

DeviceReport Failure(std::u16string text)
{
    DeviceReport report;
    report.terminal = TerminalText(text);
    report.text = std::move(text);
    return report;
}

}  // namespace

void AddTimeLimitOption(CLI::App& command, double& seconds)
{
    command.add_option("--time-limit", seconds, "the longest one exchange may take, in seconds")
        ->capture_default_str()
        ->check(FiniteNumberIn(0.001, 86400.0));
}

std::chrono::milliseconds TimeLimit(double seconds)
{
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::llround(seconds * 1000.0)));
}

std::string TerminalText(std::u16string_view text)
{
    std::u16string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            shown += text.substr(i, 2);
            ++i;
        } else if ((c >= 0xD800 && c <= 0xDFFF) || IsTerminalControl(c)) {
            shown += u'?';  // a lone surrogate, such as a kept byte of a file name
        } else {
            shown += c;
        }
    }
    return ToNarrow(shown);
}

std::string TerminalBytes(std::string_view bytes)
{
    return TerminalSafeUtf8(bytes);
}

bool IsRefusal(std::u16string_view message)
{
    return message.starts_with(u"State machine refused");
}

std::int32_t UploadCode(const UploadOutcome& outcome)
{
    switch (outcome.failure) {
    case UploadFailure::OpenFile:
    case UploadFailure::Connect:
        return outcome.error;
    case UploadFailure::Status:
    case UploadFailure::None:
        break;
    }
    return outcome.status;
}

DeviceReport ReportUpload(const UploadOutcome& outcome, std::string_view fileArgument)
{
    if (outcome.failure == UploadFailure::OpenFile) {
        // The name goes out with the bytes it came with, whatever the locale.
        DeviceReport report;
        report.text = outcome.text;
        report.terminal =
            "Cannot open file " + TerminalBytes(fileArgument) + " for reading (" + std::to_string(outcome.error) + ")";
        return report;
    }
    const bool answered = outcome.failure == UploadFailure::None;
    if (answered && outcome.text.empty())
        return Failure(std::u16string(kNoMessageText));
    DeviceReport report = Failure(outcome.text);
    report.ok = answered && outcome.text != kPageResponseUnknown && !IsRefusal(outcome.text);
    return report;
}

DeviceReport ReportControl(const ControlResult& result, std::string_view query)
{
    if (result.failure != ExchangeFailure::None)
        return Failure(CannotConnectText(result.socketError));
    if (result.status == 200 && result.mask) {
        DeviceReport report;
        report.ok = true;
        return report;
    }
    if (result.status == 200)
        return Failure(u"The controller's page " + Ascii(query) + u" shows no relay states");
    return Failure(StatusText(result.status));
}

DeviceReport ReportSwitch(const ControlResult& result, int relay, bool on)
{
    DeviceReport report = ReportControl(result, RelayQuery(relay, on));
    if (report.ok && RelayOn(*result.mask, relay) != on) {
        report = Failure(u"R" + Ascii(std::to_string(relay)) + u" is still " + (on ? u"off" : u"on") +
                         u" after the request to switch it " + (on ? u"on" : u"off"));
    }
    return report;
}

}  // namespace quarn::cli
