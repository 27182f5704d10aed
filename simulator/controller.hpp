#pragma once
// The simulated controller's web interface: the control page with the relay
// mask, relay switching, and the password-protected state-machine upload.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "simulator/http_request.hpp"

namespace quarn::sim {

// Ways the simulator can misbehave, for tests of the programs' failure paths.
enum class Fault {
    None,
    Close,           // close without reply
    Silent,          // accept and never answer
    NoStatusLine,    // reply without a status line
    Unauthorized11,  // HTTP/1.1 401 to everything
    Oversize,        // a reply of more than 16 KiB
    ZeroByte,        // a reply with a zero byte inside
    Drip,            // the reply in small pieces
};

std::optional<Fault> FaultFromName(std::string_view name);
std::string_view FaultName(Fault fault);

struct Reply {
    int status = 200;
    std::string bytes;  // the whole reply, status line included
};

// What became of an uploaded file.
struct UploadVerdict {
    bool accepted = false;
    std::string message;  // shown to the user in the status element
};

// Judges the bytes of an uploaded file in memory: they must decode as the
// document reader decodes a file and hold a well-formed XML document whose
// root is statemachine; the reader then takes the timers and relays from it.
UploadVerdict JudgeStateMachine(std::string_view bytes);

// The name of the stored file inside the store folder.
inline constexpr std::string_view kStoredFileName = "state_machine.xml";

class Controller {
public:
    // store may be empty: accepted files are then only judged, not kept.
    Controller(std::string password, std::filesystem::path store);

    // Answers one request; safe to call from several threads.
    Reply Handle(const HttpRequest& request);

    std::int32_t RelayMask() const;

private:
    Reply ControlPage(const HttpRequest& request);
    Reply Upload(const HttpRequest& request);

    std::string password_;
    std::filesystem::path store_;
    mutable std::mutex mutex_;
    std::int32_t relayMask_ = 0;
};

// The reply as the fault mode changes it (for the faults that change bytes).
std::string ApplyFault(Fault fault, std::string reply);

}  // namespace quarn::sim
