#pragma once
// What quarnctl makes of one controller exchange: whether it did what the
// command asked (the exit status) and the text it shows. upload, relays and
// switch print one report each; deploy and status print one per host.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "devicelink/direct_control.hpp"
#include "devicelink/upload.hpp"

namespace CLI {
class App;
}

namespace quarn::cli {

// --time-limit SECONDS of every command that talks to controllers: how long
// one exchange may take, the device link's own limit unless given.
inline constexpr double kDefaultTimeLimitSeconds = std::chrono::duration<double>(kExchangeTimeLimit).count();
void AddTimeLimitOption(CLI::App& command, double& seconds);
std::chrono::milliseconds TimeLimit(double seconds);

inline constexpr std::u16string_view kNoMessageText = u"The controller's reply carries no message";

struct DeviceReport {
    bool ok = false;
    // The controller's message or the error text as the editor shows it
    // (quarnctl's own text where the editor shows none).
    std::u16string text;
    // text as printed on a terminal (see TerminalText); a file name in it
    // has the bytes it was given with.
    std::string terminal;
};

// The upload of the file named fileArgument (as given on the command line)
// succeeded only when the controller answered 200 with a message that does
// not say it refused the file.
DeviceReport ReportUpload(const UploadOutcome& outcome, std::string_view fileArgument);

// The one number that stands for an upload's outcome (deploy --json): the
// reply's status once a reply was read, else the failure's error number.
std::int32_t UploadCode(const UploadOutcome& outcome);

// A direct-control request succeeded when the controller answered 200 with
// its relay mask. query is the page asked for, named in the failure text.
DeviceReport ReportControl(const ControlResult& result, std::string_view query);

// A switch succeeded only when the mask that came back shows the relay in
// the state asked for.
DeviceReport ReportSwitch(const ControlResult& result, int relay, bool on);

// Whether the controller's message says the file was not taken.
bool IsRefusal(std::u16string_view message);

// Text for a terminal: what a terminal would act on (base/terminal_text.hpp)
// and a lone surrogate (such as a kept byte of a file name) become '?', so
// nothing a file, a controller or an argument holds can move the cursor or
// change the terminal; the rest goes into the narrow encoding.
std::string TerminalText(std::u16string_view text);

// The same for UTF-8 (an argument as given, a text from a file): bytes that
// are not UTF-8 become '?' as well.
std::string TerminalBytes(std::string_view bytes);

}  // namespace quarn::cli
