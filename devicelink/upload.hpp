#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "devicelink/device_exchange.hpp"

namespace quarn {

// The two programs differ only in how they report a file that cannot be
// opened: the editor shows the text at once and returns an empty result
// text; the converter returns the text.
enum class UploadVariant { Editor, Converter };

inline constexpr std::u16string_view kUploadPage = u"state_machine_mp.html";
inline constexpr std::u16string_view kPageResponseUnknown = u"page response unknown";

struct UploadOptions {
    UploadVariant variant = UploadVariant::Converter;
    ExchangeOptions exchange;
    // Shows a text to the user at once (the editor's message box).
    std::function<void(const std::u16string&)> showMessage;
};

// What kept an upload from a 200 reply.
enum class UploadFailure {
    None,      // the controller answered 200
    OpenFile,  // the file could not be opened or read; nothing was sent
    Connect,   // no connection was made
    Status,    // the reply's status is not 200, or it has none (0)
};

// The text of a 200 reply that ran past the reply limit.
inline constexpr char16_t kReplyCutOffText[] = u"The controller's reply ran on past 1 MiB and was cut off";

struct UploadOutcome {
    UploadFailure failure = UploadFailure::None;
    // The failure's error number: errno of the failed open or read, the
    // socket layer's number of the failed connect; 0 otherwise.
    std::int32_t error = 0;
    // The reply's status code once a reply was read (0 without a readable
    // status line); 0 before that.
    std::int32_t status = 0;
    // The text for the user; may be empty.
    std::u16string text;
    // The reply ended at a time limit: the controller took the connection
    // and then went quiet.
    bool timedOut = false;
};

// Sends the state-machine file at path to the controller at host as a POST
// with Basic credentials "admin:<password>" and turns the reply into a text.
UploadOutcome UploadStateMachine(std::u16string_view host, std::u16string_view path, std::u16string_view password,
                                 const UploadOptions& options = {});

// The same upload of content that was read already (TextModeContent of a
// file's bytes): the request, the exchange and the texts are those of
// UploadStateMachine. quarnctl deploy reads a file once and sends the same
// bytes to every controller.
UploadOutcome UploadContentTo(std::u16string_view host, std::string_view content, std::u16string_view password,
                              const UploadOptions& options = {});

// The parts of an upload, each usable by itself.

// The file's bytes as a text-mode read gives them: CR LF becomes LF, a byte
// 26 (CTRL-Z) ends the content, and so does a zero byte.
std::string TextModeContent(std::string_view raw);

struct UploadContent {
    int error = 0;  // errno of the failed open or read, 0 on success
    std::string bytes;
};

// Reads the file at path up to its first zero byte or CTRL-Z (no further)
// through TextModeContent. A path that is not a regular file fails as a
// file that cannot be opened (see UploadFile).
UploadContent ReadUploadContent(std::u16string_view path);

// "Cannot open file <path> for reading (<error>)"
std::u16string CannotOpenText(std::u16string_view path, int error);

// The Base64 token of "admin:" followed by the narrow password.
std::string CredentialsToken(std::u16string_view password);

// The complete request bytes of an upload.
std::string BuildUploadRequest(std::string_view token, std::string_view content);

// The controller's message from a 200 reply: the text after the tag that
// follows the status element's marker. Empty when the marker is missing;
// "page response unknown" when the message is empty or white space.
std::u16string StatusElementText(std::u16string_view reply);

}  // namespace quarn
