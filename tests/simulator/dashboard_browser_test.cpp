// The dashboard in a real browser: headless chromium, driven through its
// DevTools protocol by the small WebSocket client below. Every wait has a
// deadline, so a missing or hanging browser fails (or, when chromium is not
// installed, the test is skipped) instead of hanging.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/direct_control.hpp"
#include "devicelink/socket_layer.hpp"
#include "tests/support/files.hpp"
#include "tests/support/sim_process.hpp"
#include "tests/support/test_peer.hpp"

namespace quarn {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using nlohmann::json;

std::optional<fs::path> FindChromium()
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        for (const char* name : {"chromium", "chromium-browser"})
            if (::access((fs::path(folder) / name).c_str(), X_OK) == 0)
                return fs::path(folder) / name;
    return std::nullopt;
}

// Headless chromium in a process group of its own, with a fresh profile;
// the whole group goes with the object.
class Browser {
public:
    explicit Browser(const fs::path& program)
    {
        std::vector<std::string> arguments = {program.string(),
                                              "--headless",
                                              "--no-sandbox",
                                              "--disable-gpu",
                                              "--disable-quic",
                                              "--no-first-run",
                                              "--disable-background-networking",
                                              "--disable-component-update",
                                              "--disable-sync",
                                              "--user-data-dir=" + profile_.string(),
                                              "--remote-debugging-address=127.0.0.1",
                                              "--remote-debugging-port=0",
                                              "--window-size=1000,800",
                                              "about:blank"};
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const std::string log = (profile_ / "chromium.log").string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (pid_ > 0)
            ::setpgid(pid_, pid_);
    }

    ~Browser()
    {
        if (pid_ > 0) {
            ::kill(-pid_, SIGTERM);
            const auto deadline = Clock::now() + 5s;
            int status = 0;
            while (::waitpid(pid_, &status, WNOHANG) == 0) {
                if (Clock::now() > deadline) {
                    ::kill(-pid_, SIGKILL);
                    ::waitpid(pid_, &status, 0);
                    break;
                }
                std::this_thread::sleep_for(20ms);
            }
            // Helpers of the group that outlived the browser.
            ::kill(-pid_, SIGKILL);
        }
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // The DevTools port, from the file chromium writes into its profile.
    std::uint16_t WaitForDevToolsPort(std::chrono::milliseconds limit) const
    {
        const auto deadline = Clock::now() + limit;
        while (pid_ > 0 && Clock::now() < deadline) {
            std::ifstream file(profile_ / "DevToolsActivePort");
            int port = 0;
            if (file >> port && port > 0)
                return static_cast<std::uint16_t>(port);
            std::this_thread::sleep_for(50ms);
        }
        return 0;
    }

    std::string Log() const
    {
        std::ifstream in(profile_ / "chromium.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    pid_t pid_ = -1;
    // The fresh profile, removed after the browser has gone.
    const test::ScratchFolder scratch_;
    const fs::path profile_ = scratch_.path();
};

// Reads until the peer closes or the deadline passes.
std::string ReadAll(net::Socket& socket, Clock::time_point deadline)
{
    std::string bytes;
    char buffer[8192];
    while (Clock::now() < deadline) {
        const net::ReceiveResult got = net::Receive(socket, buffer, sizeof buffer, 100ms);
        if (got.status == net::ReceiveStatus::Data)
            bytes.append(buffer, got.count);
        else if (got.status != net::ReceiveStatus::TimedOut)
            break;
    }
    return bytes;
}

// The WebSocket address of the browser's page.
std::string PageSocketPath(std::uint16_t port)
{
    net::SocketResult connected = net::ConnectTcp("127.0.0.1", port, 2s);
    if (!connected.socket.Valid() ||
        net::SendAll(connected.socket, "GET /json/list HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 2s) !=
            0)
        return {};
    const std::string reply = ReadAll(connected.socket, Clock::now() + 5s);
    const std::size_t body = reply.find("\r\n\r\n");
    if (body == std::string::npos)
        return {};
    const json targets = json::parse(reply.substr(body + 4), nullptr, false);
    if (!targets.is_array())
        return {};
    for (const json& target : targets) {
        if (target.value("type", "") != "page")
            continue;
        const std::string address = target.value("webSocketDebuggerUrl", "");
        const std::size_t path = address.find("/devtools/");
        if (path != std::string::npos)
            return address.substr(path);
    }
    return {};
}

// Just enough of RFC 6455 for the DevTools protocol: masked text frames out,
// unmasked (possibly fragmented) text frames in.
class DevTools {
public:
    bool Connect(std::uint16_t port, const std::string& path)
    {
        net::SocketResult connected = net::ConnectTcp("127.0.0.1", port, 2s);
        if (!connected.socket.Valid())
            return false;
        socket_ = std::move(connected.socket);
        const std::string upgrade = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                    "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
        if (net::SendAll(socket_, upgrade, 2s) != 0)
            return false;
        const auto deadline = Clock::now() + 5s;
        while (buffer_.find("\r\n\r\n") == std::string::npos)
            if (!Fill(deadline))
                return false;
        const bool switched = buffer_.rfind("HTTP/1.1 101", 0) == 0;
        buffer_.erase(0, buffer_.find("\r\n\r\n") + 4);
        return switched;
    }

    // Sends one command and waits for its answer (events in between are
    // dropped); nothing when the deadline passes or the browser fails.
    std::optional<json> Call(const std::string& method, json params = json::object(),
                             std::chrono::milliseconds limit = 5s)
    {
        const int id = ++lastId_;
        if (!SendText(json{{"id", id}, {"method", method}, {"params", std::move(params)}}.dump()))
            return std::nullopt;
        const auto deadline = Clock::now() + limit;
        for (;;) {
            const std::optional<std::string> message = ReceiveText(deadline);
            if (!message)
                return std::nullopt;
            json reply = json::parse(*message, nullptr, false);
            if (reply.is_object() && reply.value("id", 0) == id) {
                if (reply.contains("error"))
                    return std::nullopt;
                return reply["result"];
            }
        }
    }

    // The value of a JavaScript expression in the page.
    std::optional<json> Evaluate(const std::string& expression)
    {
        const std::optional<json> result =
            Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
        if (!result || result->contains("exceptionDetails") || !result->contains("result"))
            return std::nullopt;
        return (*result)["result"].value("value", json());
    }

    // A left click with the mouse at the middle of the element.
    bool Click(const std::string& id)
    {
        const std::optional<json> box =
            Evaluate("(() => { const r = document.getElementById('" + id +
                     "').getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()");
        if (!box || !box->is_array() || box->size() != 2)
            return false;
        for (const char* type : {"mousePressed", "mouseReleased"})
            if (!Call("Input.dispatchMouseEvent",
                      {{"type", type}, {"x", (*box)[0]}, {"y", (*box)[1]}, {"button", "left"}, {"clickCount", 1}}))
                return false;
        return true;
    }

private:
    bool Fill(Clock::time_point deadline)
    {
        constexpr std::size_t kLargestMessage = 16 * 1024 * 1024;
        char chunk[16384];
        while (Clock::now() < deadline && buffer_.size() < kLargestMessage) {
            const net::ReceiveResult got = net::Receive(socket_, chunk, sizeof chunk, 100ms);
            if (got.status == net::ReceiveStatus::Data) {
                buffer_.append(chunk, got.count);
                return true;
            }
            if (got.status != net::ReceiveStatus::TimedOut)
                return false;
        }
        return false;
    }

    bool SendText(const std::string& text)
    {
        std::string frame(1, '\x81');
        const std::size_t size = text.size();
        if (size < 126) {
            frame += static_cast<char>(0x80 | size);
        } else if (size < 65536) {
            frame += '\xFE';
            frame += static_cast<char>(size >> 8);
            frame += static_cast<char>(size & 0xFF);
        } else {
            frame += '\xFF';
            for (int shift = 56; shift >= 0; shift -= 8)
                frame += static_cast<char>((size >> shift) & 0xFF);
        }
        const char mask[4] = {'\x12', '\x34', '\x56', '\x78'};
        frame.append(mask, 4);
        for (std::size_t i = 0; i < size; ++i)
            frame += static_cast<char>(text[i] ^ mask[i % 4]);
        return net::SendAll(socket_, frame, 2s) == 0;
    }

    std::optional<std::string> ReceiveText(Clock::time_point deadline)
    {
        std::string message;
        for (;;) {
            while (buffer_.size() < 2)
                if (!Fill(deadline))
                    return std::nullopt;
            const auto byte = [this](std::size_t i) { return static_cast<unsigned char>(buffer_[i]); };
            const bool final = (byte(0) & 0x80) != 0;
            const int opcode = byte(0) & 0x0F;
            std::size_t header = 2;
            std::uint64_t size = byte(1) & 0x7F;
            const std::size_t extra = size == 126 ? 2 : size == 127 ? 8 : 0;
            const bool masked = (byte(1) & 0x80) != 0;
            while (buffer_.size() < header + extra + (masked ? 4 : 0))
                if (!Fill(deadline))
                    return std::nullopt;
            if (extra > 0) {
                size = 0;
                for (std::size_t i = 0; i < extra; ++i)
                    size = size << 8 | byte(header + i);
                header += extra;
            }
            const std::size_t maskAt = header;
            if (masked)
                header += 4;
            while (buffer_.size() < header + size)
                if (!Fill(deadline))
                    return std::nullopt;
            std::string payload = buffer_.substr(header, size);
            if (masked)
                for (std::size_t i = 0; i < payload.size(); ++i)
                    payload[i] = static_cast<char>(payload[i] ^ buffer_[maskAt + i % 4]);
            buffer_.erase(0, header + size);
            if (opcode == 8)
                return std::nullopt;
            if (opcode == 1 || opcode == 0) {
                message += payload;
                if (final)
                    return message;
            }
            // Pings and pongs are not expected; skipped.
        }
    }

    net::Socket socket_;
    std::string buffer_;
    int lastId_ = 0;
};

struct PageState {
    std::string clock;
    std::string relay;  // the R3 button's text
};

std::optional<PageState> ReadPage(DevTools& devtools)
{
    const std::optional<json> value =
        devtools.Evaluate("JSON.stringify({clock: document.body.dataset.clock || '', "
                          "relay: (document.getElementById('R3') || {}).textContent || ''})");
    if (!value || !value->is_string())
        return std::nullopt;
    const json page = json::parse(value->get<std::string>(), nullptr, false);
    if (!page.is_object())
        return std::nullopt;
    return PageState{page.value("clock", ""), page.value("relay", "")};
}

TEST(DashboardInChromium, ShowsARelaySwitchingOnTheProgramsClockAndAClickSwitchesIt)
{
    const std::optional<fs::path> chromium = FindChromium();
    if (!chromium)
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    net::StartSocketLayer();

    // The browser first: its start-up, however slow, is then behind us when
    // the simulator's clock starts.
    Browser browser(*chromium);
    const std::uint16_t devtoolsPort = browser.WaitForDevToolsPort(30s);
    ASSERT_NE(devtoolsPort, 0) << "chromium did not open its DevTools port:\n" << browser.Log();
    std::string pagePath;
    for (const auto deadline = Clock::now() + 10s; pagePath.empty() && Clock::now() < deadline;
         std::this_thread::sleep_for(100ms))
        pagePath = PageSocketPath(devtoolsPort);
    ASSERT_FALSE(pagePath.empty()) << "chromium has no page";
    DevTools devtools;
    ASSERT_TRUE(devtools.Connect(devtoolsPort, pagePath));

    // T0 06:01:00-06:05:00 on workdays, R3 = T0; at 20 times real time the
    // timer comes on 1.5 s after the start and stays on for 12 s.
    const test::ScratchFolder scratch;
    const fs::path store = scratch.path();
    std::ofstream(store / "state_machine.xml", std::ios::binary)
        << "<statemachine><timer id=\"0\" start=\"21660\" end=\"21900\" dow=\"31\"/><parallel>"
           "<state id=\"R3\"><state id=\"Roff3\"><transition cond=\"#T0\"/></state>"
           "<state id=\"Ron3\"><transition cond=\"!(#T0)\"/></state></state></parallel></statemachine>";
    test::SimProcess sim({"--store", store.string(), "--clock", "2026-12-14T06:00:30", "--speed", "20"});
    ASSERT_NE(sim.Port(), 0);
    ASSERT_TRUE(devtools.Call("Page.navigate", {{"url", "http://127.0.0.1:" + std::to_string(sim.Port()) + "/"}}));

    // The page refreshes itself: R3 off before 06:01:00, on after it.
    bool sawOff = false;
    bool sawOn = false;
    std::string last;
    for (const auto deadline = Clock::now() + 20s; !sawOn && Clock::now() < deadline;
         std::this_thread::sleep_for(100ms)) {
        const std::optional<PageState> page = ReadPage(devtools);
        if (!page || page->clock.empty())
            continue;
        last = page->clock + " " + page->relay;
        if (page->clock < "2026-12-14T06:01:00") {
            EXPECT_EQ(page->relay, "R3 off") << page->clock;
            sawOff = true;
        } else if (page->relay == "R3 on") {
            EXPECT_LT(page->clock, "2026-12-14T06:05:00");
            sawOn = true;
        }
    }
    EXPECT_TRUE(sawOff) << "the page never showed R3 off before 06:01:00; last seen: " << last;
    ASSERT_TRUE(sawOn) << "the page never showed R3 on after 06:01:00; last seen: " << last << "\n" << sim.Log();

    // A click on R3 switches it off by hand; it stays off (T0 does not change
    // before 06:05:00), in the page and on control.html.
    ASSERT_TRUE(devtools.Click("R3"));
    std::optional<PageState> page;
    for (const auto deadline = Clock::now() + 5s; Clock::now() < deadline; std::this_thread::sleep_for(100ms)) {
        page = ReadPage(devtools);
        if (page && page->relay == "R3 off")
            break;
    }
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->relay, "R3 off") << page->clock;
    EXPECT_EQ(SendControlRequest(u"127.0.0.1", kControlPage, test::FastExchangeOptions(sim.Port())).mask, 0);
    // The click went as the dashboard's own action, not as a GET any page could send.
    EXPECT_NE(sim.Log().find("POST /switch.json?D=0 -> 200"), std::string::npos) << sim.Log();
}

}  // namespace
}  // namespace quarn
