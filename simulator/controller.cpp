#include "simulator/controller.hpp"

#include <algorithm>

#include "document/file_text.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "simulator/store_file.hpp"
#include "simulator/well_formed.hpp"

namespace quarn::sim {

namespace {

constexpr std::string_view kFaultNames[] = {"none",           "close",    "silent",    "no-status",
                                            "http11-401",     "oversize", "zero-byte", "drip"};

std::string Page(int status, std::string_view reason, std::string_view body,
                 std::string_view extraHeaders = {})
{
    std::string reply = "HTTP/1.0 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    reply += "Content-Type: text/html\r\n";
    reply += extraHeaders;
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    reply += body;
    return reply;
}

std::string SimplePage(std::string_view title)
{
    return "<html><head><title>" + std::string(title) + "</title></head><body><h1>" + std::string(title) +
           "</h1></body></html>\r\n";
}

// Message text goes between tags; the programs read it up to the next '<'.
std::string Escaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

std::string StatusPage(std::string_view message)
{
    return "<html><head><title>QUARN state machine</title></head><body>\r\n"
           "<h1>State machine upload</h1>\r\n"
           "<table><tr><td>Status:</td><td name=\"status\"><b>" +
           Escaped(message) +
           "</b></td></tr></table>\r\n"
           "</body></html>\r\n";
}

std::string ControlBody(std::int32_t mask)
{
    std::string body = "<html><head><title>QUARN control</title></head><body>\r\n"
                       "<h1>Direct control</h1>\r\n"
                       "<p>Relay mask: <span id=\"R\">" +
                       std::to_string(mask) + "</span></p>\r\n<table>\r\n";
    for (int i = 0; i < 8; ++i) {
        const bool on = ((mask >> i) & 1) != 0;
        const char letter = static_cast<char>('A' + i);
        body += "<tr><td>R" + std::to_string(i) + "</td><td>" + (on ? "on" : "off") +
                "</td><td><a href=\"control.html?" + letter + "=" + (on ? "0" : "1") + "\">switch</a></td></tr>\r\n";
    }
    body += "</table>\r\n</body></html>\r\n";
    return body;
}

std::string CountText(int count, std::string_view one, const std::string& names)
{
    std::string text = std::to_string(count) + " " + std::string(one) + (count == 1 ? "" : "s");
    if (count > 0)
        text += " (" + names + ")";
    return text;
}

}  // namespace

std::optional<Fault> FaultFromName(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(kFaultNames); ++i)
        if (kFaultNames[i] == name)
            return static_cast<Fault>(i);
    return std::nullopt;
}

std::string_view FaultName(Fault fault)
{
    return kFaultNames[static_cast<std::size_t>(fault)];
}

UploadVerdict JudgeStateMachine(std::string_view bytes)
{
    UploadVerdict verdict;
    std::u16string text;
    if (const int error = DecodeFileText(bytes, text); error != 0) {
        verdict.message = "State machine refused: the file cannot be read (error " + std::to_string(error) + ")";
        return verdict;
    }
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); })) {
        verdict.message = "State machine refused: the file holds no XML text";
        return verdict;
    }
    if (const std::optional<XmlFault> fault = CheckWellFormed(text, u"statemachine")) {
        verdict.message = fault->otherRoot
                              ? std::string("State machine refused: the file has no statemachine element")
                              : "State machine refused: the file is not well-formed XML (line " +
                                    std::to_string(fault->line) + ", column " + std::to_string(fault->column) + ": " +
                                    fault->reason + ")";
        return verdict;
    }
    StateMachineModel model;
    if (const int result = ReadStateMachineBytes(model, bytes); result != 0) {
        verdict.message = "State machine refused: the file cannot be read (error " + std::to_string(result) + ")";
        return verdict;
    }

    int timers = 0;
    std::string timerNames;
    for (int i = 0; i < kTimerCount; ++i) {
        if (!model.timers[i].offTime)
            continue;
        timerNames += (timers++ > 0 ? ", T" : "T") + std::to_string(i);
    }
    int relays = 0;
    std::string relayNames;
    for (int i = 0; i < kRelayCount; ++i) {
        if (model.relays[i].empty())
            continue;
        relayNames += (relays++ > 0 ? ", R" : "R") + std::to_string(i);
    }
    verdict.accepted = true;
    verdict.message = "State machine accepted: " + CountText(timers, "timer", timerNames) + ", " +
                      CountText(relays, "relay", relayNames);
    return verdict;
}

Controller::Controller(std::string password, std::filesystem::path store)
    : password_(std::move(password)), store_(std::move(store))
{
}

std::int32_t Controller::RelayMask() const
{
    std::lock_guard lock(mutex_);
    return relayMask_;
}

Reply Controller::Handle(const HttpRequest& request)
{
    const std::string path = request.target.substr(0, request.target.find('?'));
    if (path == "/control.html") {
        if (request.method != "GET")
            return {405, Page(405, "Method Not Allowed", SimplePage("Method not allowed"))};
        return ControlPage(request);
    }
    if (path == "/state_machine_mp.html") {
        if (request.method == "GET")
            return {200, Page(200, "OK", StatusPage("Ready for a state machine"))};
        if (request.method != "POST")
            return {405, Page(405, "Method Not Allowed", SimplePage("Method not allowed"))};
        return Upload(request);
    }
    if (path == "/" || path == "/index.html")
        return {200, Page(200, "OK",
                          "<html><body><a href=\"control.html\">Direct control</a> "
                          "<a href=\"state_machine_mp.html\">State machine</a></body></html>\r\n")};
    return {404, Page(404, "Not Found", SimplePage("Not found"))};
}

Reply Controller::ControlPage(const HttpRequest& request)
{
    const std::size_t question = request.target.find('?');
    std::lock_guard lock(mutex_);
    if (question != std::string::npos) {
        const std::string_view query = std::string_view(request.target).substr(question + 1);
        if (query.size() != 3 || query[0] < 'A' || query[0] > 'H' || query[1] != '=' ||
            (query[2] != '0' && query[2] != '1'))
            return {400, Page(400, "Bad Request", SimplePage("Bad request"))};
        const int relay = query[0] - 'A';
        if (query[2] == '1')
            relayMask_ |= 1 << relay;
        else
            relayMask_ &= ~(1 << relay);
    }
    return {200, Page(200, "OK", ControlBody(relayMask_))};
}

Reply Controller::Upload(const HttpRequest& request)
{
    if (!HasCredentials(request, password_))
        return {401, Page(401, "Unauthorized", SimplePage("Authorization required"),
                          "WWW-Authenticate: Basic realm=\"QUARN\"\r\n")};
    const std::optional<std::string> file = UploadedFile(request);
    if (!file)
        return {200, Page(200, "OK", StatusPage("State machine refused: the request carries no file"))};

    UploadVerdict verdict = JudgeStateMachine(*file);
    if (verdict.accepted && !store_.empty()) {
        std::lock_guard lock(mutex_);
        if (StoreFile(store_, kStoredFileName, *file) != 0) {
            verdict.accepted = false;
            verdict.message = "State machine refused: the simulator cannot store it";
        }
    }
    return {200, Page(200, "OK", StatusPage(verdict.message))};
}

std::string ApplyFault(Fault fault, std::string reply)
{
    const std::size_t headEnd = reply.find("\r\n\r\n");
    const std::size_t bodyStart = headEnd == std::string::npos ? reply.size() : headEnd + 4;
    switch (fault) {
    case Fault::NoStatusLine:
        return reply.substr(bodyStart);
    case Fault::Unauthorized11: {
        const std::string body = SimplePage("Authorization required");
        return "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"QUARN\"\r\n"
               "Content-Type: text/html\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }
    case Fault::Oversize:
    case Fault::ZeroByte: {
        reply.insert(bodyStart, fault == Fault::Oversize ? "<!-- " + std::string(20 * 1024, 'x') + " -->\r\n"
                                                         : std::string(1, '\0'));
        // The body grew: its length header would now be wrong.
        const std::size_t length = reply.find("Content-Length: ");
        if (length != std::string::npos && length < bodyStart)
            reply.erase(length, reply.find("\r\n", length) + 2 - length);
        return reply;
    }
    default:
        return reply;
    }
}

}  // namespace quarn::sim
