#include "simulator/controller.hpp"

#include "runtime/explanation.hpp"

#include <algorithm>
#include <cstdio>
#include <random>
#include <variant>

#include "base/utf8.hpp"
#include "document/file_text.hpp"
#include "document/model.hpp"
#include "document/reader.hpp"
#include "runtime/local_clock.hpp"
#include "runtime/program.hpp"
#include "simulator/dashboard.hpp"
#include "simulator/sim_clock.hpp"
#include "simulator/store_file.hpp"
#include "simulator/well_formed.hpp"

namespace quarn::sim {

namespace {

constexpr std::string_view kFaultNames[] = {"none",       "close",    "silent",    "no-status",
                                            "http11-401", "oversize", "zero-byte", "drip"};

std::string Page(int status, std::string_view reason, std::string_view body, std::string_view extraHeaders = {},
                 std::string_view type = "text/html")
{
    std::string reply = "HTTP/1.0 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    reply += "Content-Type: " + std::string(type) + "\r\n";
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
    for (int i = 0; i < kRelayCount; ++i) {
        const bool on = ((mask >> i) & 1) != 0;
        const char letter = static_cast<char>('A' + i);
        body += "<tr><td>R" + std::to_string(i) + "</td><td>" + (on ? "on" : "off") +
                "</td><td><a href=\"control.html?" + letter + "=" + (on ? "0" : "1") + "\">switch</a></td></tr>\r\n";
    }
    body += "</table>\r\n</body></html>\r\n";
    return body;
}

Reply Forbidden()
{
    return {403, Page(403, "Forbidden", SimplePage("Forbidden"))};
}

// 128 bits from the system's random source, as hexadecimal.
std::string RandomToken()
{
    std::random_device random;
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
        token += part;
    }
    return token;
}

Reply NotAllowed()
{
    return {405, Page(405, "Method Not Allowed", SimplePage("Method not allowed"))};
}

std::string CountText(int count, std::string_view one, const std::string& names)
{
    std::string text = std::to_string(count) + " " + std::string(one) + (count == 1 ? "" : "s");
    if (count > 0)
        text += " (" + names + ")";
    return text;
}

// "2 timers (T0, T1), 1 relay (R3)"
std::string Summary(const StateMachineModel& model)
{
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
    return CountText(timers, "timer", timerNames) + ", " + CountText(relays, "relay", relayNames);
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
        verdict.message = fault->otherRoot ? std::string("State machine refused: the file has no statemachine element")
                                           : "State machine refused: the file is not well-formed XML (line " +
                                                 std::to_string(fault->line) + ", column " +
                                                 std::to_string(fault->column) + ": " + fault->reason + ")";
        return verdict;
    }
    StateMachineModel model;
    runtime::ProgramText programText;
    if (const int result = runtime::ReadProgramBytes(bytes, model, programText); result != 0) {
        verdict.message = "State machine refused: the file cannot be read (error " + std::to_string(result) + ")";
        return verdict;
    }
    auto compiled = runtime::CompileProgram(programText);
    if (const auto* error = std::get_if<runtime::ConditionError>(&compiled)) {
        verdict.message = "State machine refused: " + error->Message();
        return verdict;
    }
    verdict.accepted = true;
    verdict.summary = Summary(model);
    verdict.message = "State machine accepted: " + verdict.summary;
    // A relay the file holds in another shape than the off and on pair runs
    // as never on; the answer says so rather than keeping quiet.
    for (const auto& [relay, why] : programText.leftOut)
        verdict.message += "; R" + std::to_string(relay) + " left out: " + EncodeUtf8(why);
    verdict.program = std::move(std::get<runtime::Program>(compiled));
    verdict.text = std::move(programText);
    return verdict;
}

Controller::Controller(std::string password, std::filesystem::path store)
    : Controller(ControllerOptions{std::move(password), std::move(store), {}, 1, 0})
{
}

Controller::Controller(ControllerOptions options)
    : options_(std::move(options)),
      token_(RandomToken()),
      run_(runtime::Program{}, options_.clock ? options_.clock() : runtime::LocalNow(), options_.inputs)
{
    if (!options_.clock)
        options_.clock = [] { return runtime::LocalNow(); };
}

void Controller::Run(runtime::Program program, runtime::ProgramText text, std::string summary)
{
    // A new program starts with every relay off, on the current inputs.
    run_ = runtime::LiveRun(std::move(program), options_.clock(), run_.State().inputs);
    summary_ = std::move(summary);
    text_ = std::move(text);
    runStart_ = run_.Now();
    inputHistory_.clear();
    for (int n = 0; n < kInputCount; ++n) {
        if ((run_.State().inputs >> n & 1) != 0)
            inputHistory_.push_back({n, true, std::nullopt});
    }
    historyComplete_ = true;
    lastHand_ = {};
    recentWarnings_.clear();
    Note(run_.Now(), runtime::SignalState{run_.State().timers, run_.State().inputs, 0});
    TakeWarnings();
}

std::string Controller::LoadStoredProgram()
{
    if (options_.store.empty())
        return {};
    const std::filesystem::path path = options_.store / kStoredFileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    StateMachineModel model;
    runtime::ProgramText text;
    if (const int result = runtime::ReadProgramFile(path.u16string(), model, text); result != 0)
        return "the stored program cannot be read (error " + std::to_string(result) + ")";
    auto compiled = runtime::CompileProgram(text);
    if (const auto* failed = std::get_if<runtime::ConditionError>(&compiled))
        return "the stored program does not run: " + failed->Message();
    std::lock_guard lock(mutex_);
    Run(std::move(std::get<runtime::Program>(compiled)), std::move(text), Summary(model));
    return "running the stored program: " + summary_;
}

void Controller::Note(runtime::Instant at, const runtime::SignalState& before)
{
    std::string line;
    for (const runtime::Signal signal : runtime::AllSignals()) {
        const bool on = runtime::IsOn(run_.State(), signal);
        if (on != runtime::IsOn(before, signal))
            line += "  " + runtime::SignalName(signal) + (on ? " on" : " off");
    }
    if (!line.empty())
        AddLogLine(runtime::FormatDisplay(at) + line);
}

void Controller::AddLogLine(std::string line)
{
    // Nobody may be taking them (a controller without a server).
    constexpr std::size_t kKeptLines = 1000;
    if (pendingLog_.size() >= kKeptLines)
        pendingLog_.erase(pendingLog_.begin());
    pendingLog_.push_back(std::move(line));
}

void Controller::AdvanceLocked()
{
    const runtime::Instant now = options_.clock();
    // Edge by edge, so that the log shows each change; a clock that jumped
    // far ahead takes the rest in one go.
    for (int edges = 0; edges < 1000; ++edges) {
        const std::optional<runtime::Instant> edge = run_.NextTimerEdge();
        if (!edge || *edge > now)
            break;
        const runtime::SignalState before = run_.State();
        run_.AdvanceTo(*edge);
        Note(*edge, before);
    }
    const runtime::SignalState before = run_.State();
    run_.AdvanceTo(now);
    Note(now, before);
    TakeWarnings();
}

void Controller::TakeWarnings()
{
    constexpr std::size_t kShownWarnings = 10;
    for (runtime::Warning& warning : run_.TakeWarnings()) {
        AddLogLine(warning.text);
        recentWarnings_.push_back(std::move(warning.text));
    }
    if (recentWarnings_.size() > kShownWarnings)
        recentWarnings_.erase(recentWarnings_.begin(),
                              recentWarnings_.end() - static_cast<std::ptrdiff_t>(kShownWarnings));
}

std::vector<std::string> Controller::Advance()
{
    std::lock_guard lock(mutex_);
    AdvanceLocked();
    std::vector<std::string> lines = std::move(pendingLog_);
    pendingLog_.clear();
    return lines;
}

std::int32_t Controller::RelayMask()
{
    std::lock_guard lock(mutex_);
    AdvanceLocked();
    return run_.RelayMask();
}

Reply Controller::Handle(const HttpRequest& request)
{
    const std::string path = request.target.substr(0, request.target.find('?'));
    // HEAD is answered as GET is, without changing anything; the server
    // sends only the head.
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (path == "/control.html") {
        // The controller's own page switches on a GET, as controllers do.
        return get ? ControlPage(request, request.method == "GET") : NotAllowed();
    }
    if (path == "/state_machine_mp.html") {
        if (get)
            return {200, Page(200, "OK", StatusPage("Ready for a state machine"))};
        return post ? Upload(request) : NotAllowed();
    }
    if (path == "/" || path == "/index.html")
        return get ? Reply{200, Page(200, "OK", DashboardHtml(token_), "Cache-Control: no-store\r\n",
                                     "text/html; charset=utf-8")}
                   : NotAllowed();
    if (path == "/state.json")
        return get ? StatePage() : NotAllowed();
    // The dashboard's own actions: POST with the token of this run.
    if (path == "/input.json")
        return post ? InputAction(request) : NotAllowed();
    if (path == "/switch.json")
        return post ? SwitchAction(request) : NotAllowed();
    return {404, Page(404, "Not Found", SimplePage("Not found"))};
}

bool Controller::CarriesToken(const HttpRequest& request) const
{
    const std::optional<std::string> token = request.Header("X-Quarn-Token");
    return token && *token == token_;
}

Reply Controller::SwitchAction(const HttpRequest& request)
{
    if (!CarriesToken(request))
        return Forbidden();
    const Reply page = ControlPage(request, true);
    if (page.status != 200)
        return page;
    return StatePage();
}

Reply Controller::ControlPage(const HttpRequest& request, bool mayChange)
{
    const std::size_t question = request.target.find('?');
    std::lock_guard lock(mutex_);
    AdvanceLocked();
    if (question != std::string::npos && mayChange) {
        const std::string_view query = std::string_view(request.target).substr(question + 1);
        if (query.size() != 3 || query[0] < 'A' || query[0] > 'H' || query[1] != '=' ||
            (query[2] != '0' && query[2] != '1'))
            return {400, Page(400, "Bad Request", SimplePage("Bad request"))};
        const int n = query[0] - 'A';
        const bool on = query[2] == '1';
        run_.SwitchRelay(n, on);
        lastHand_[static_cast<std::size_t>(n)] = HandSwitch{run_.Now(), on};
        AddLogLine(runtime::FormatDisplay(run_.Now()) + "  R" + std::to_string(n) + (on ? " on" : " off") + " by hand");
    }
    return {200, Page(200, "OK", ControlBody(run_.RelayMask()))};
}

Reply Controller::InputAction(const HttpRequest& request)
{
    if (!CarriesToken(request))
        return Forbidden();
    const std::size_t question = request.target.find('?');
    const std::string_view query =
        question == std::string::npos ? std::string_view() : std::string_view(request.target).substr(question + 1);
    if (query.size() != 4 || query[0] != 'S' || query[1] < '0' || query[1] > '3' || query[2] != '=' ||
        (query[3] != '0' && query[3] != '1'))
        return {400, Page(400, "Bad Request", SimplePage("Bad request"))};
    {
        std::lock_guard lock(mutex_);
        AdvanceLocked();
        const runtime::SignalState before = run_.State();
        const int n = query[1] - '0';
        const bool on = query[3] == '1';
        run_.SetInput(n, on);
        Note(run_.Now(), before);
        if (run_.State().inputs != before.inputs) {
            if (inputHistory_.size() < kKeptInputChanges)
                inputHistory_.push_back({n, on, run_.Now()});
            else
                historyComplete_ = false;
        }
    }
    return StatePage();
}

Reply Controller::StatePage()
{
    DashboardState state;
    {
        std::lock_guard lock(mutex_);
        AdvanceLocked();
        state.now = run_.Now();
        state.signals = run_.State();
        state.uses = run_.program().uses;
        state.warnings = recentWarnings_;
        state.program = summary_;
        state.why = WhyLocked();
    }
    state.speed = options_.speed;
    return {200, Page(200, "OK", StateJson(state), "Cache-Control: no-store\r\n", "application/json")};
}

std::array<std::vector<std::string>, kRelayCount> Controller::WhyLocked()
{
    std::array<std::vector<std::string>, kRelayCount> why{};
    if (summary_.empty() || !historyComplete_)
        return why;
    const runtime::Explanation explanation =
        runtime::Explain(run_.program(), text_, runStart_, run_.Now(), inputHistory_);
    for (const runtime::RelayExplanation& relay : explanation.relays) {
        auto& lines = why[static_cast<std::size_t>(relay.relay)];
        const bool on = (run_.State().relays >> relay.relay & 1) != 0;
        const auto& hand = lastHand_[static_cast<std::size_t>(relay.relay)];
        const std::string name = "R" + std::to_string(relay.relay);
        if (on == relay.on) {
            // As the program's own course has it: the explanation's first lines.
            const std::vector<std::string> all = runtime::ExplanationLines(relay);
            lines.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(2, all.size())));
        } else if (hand && hand->on == on) {
            lines.push_back(name + (on ? " on" : " off") + ": switched " + (on ? "on" : "off") + " by hand at " +
                            runtime::FormatDisplay(hand->at));
        } else {
            lines.push_back(name + (on ? " on" : " off") +
                            ": the program took another course after relays were switched by hand");
        }
    }
    return why;
}

Reply Controller::Upload(const HttpRequest& request)
{
    if (!HasCredentials(request, options_.password))
        return {401, Page(401, "Unauthorized", SimplePage("Authorization required"),
                          "WWW-Authenticate: Basic realm=\"QUARN\"\r\n")};
    const std::optional<std::string> file = UploadedFile(request);
    if (!file)
        return {200, Page(200, "OK", StatusPage("State machine refused: the request carries no file"))};

    UploadVerdict verdict = JudgeStateMachine(*file);
    if (verdict.accepted) {
        std::lock_guard lock(mutex_);
        if (!options_.store.empty() && StoreFile(options_.store, kStoredFileName, *file) != 0) {
            verdict.accepted = false;
            verdict.message = "State machine refused: the simulator cannot store it";
        } else {
            AdvanceLocked();
            Run(std::move(*verdict.program), std::move(verdict.text), verdict.summary);
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
