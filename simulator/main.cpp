// quarnsim: a QUARN controller on loopback. Serves the control page, relay
// switching and the state-machine upload, runs the uploaded program on its
// clock, and shows it all on a dashboard, so the programs and their tests
// have a real peer without hardware.
// GCC 12 at -O2 reports a "potential null pointer dereference" inside
// std::string's move constructor where a vector of strings grows in CLI11's
// own code inlined here: the compiler's false positive, not a fault of ours
// or CLI11's, so it is silenced for this file alone.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#endif

#include "base/terminal_text.hpp"
#include "cli/number_options.hpp"

#include <CLI/CLI.hpp>

#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "devicelink/socket_layer.hpp"
#include "simulator/server.hpp"
#include "simulator/sim_clock.hpp"

#ifndef QUARN_VERSION
#define QUARN_VERSION "unknown"
#endif

namespace {

std::atomic<bool> g_stop{false};

// "S0=1" -> input 0 on.
std::optional<std::pair<int, bool>> ParseInput(const std::string& text)
{
    if (text.size() != 4 || text[0] != 'S' || text[1] < '0' || text[1] > '3' || text[2] != '=' ||
        (text[3] != '0' && text[3] != '1'))
        return std::nullopt;
    return std::pair{text[1] - '0', text[3] == '1'};
}

extern "C" void RequestStop(int)
{
    g_stop = true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");

    quarn::sim::ServerOptions options;
    std::string fault = "none";
    std::string store;
    int port = 80;

    CLI::App app{"A QUARN relay controller simulated on this machine", "quarnsim"};
    app.set_version_flag("--version", "quarnsim " QUARN_VERSION);
    app.add_option("--address", options.address, "IPv4 address to listen on")->capture_default_str();
    app.add_option("--port", port, "TCP port; 0 picks a free one (printed on the first line)")
        ->capture_default_str()
        ->transform(quarn::cli::DecimalNumber())
        ->check(CLI::Range(0, 65535));
    app.add_option("--password", options.password, "password of the user admin")->capture_default_str();
    app.add_option("--store", store, "folder where accepted state-machine files are kept")
        ->check(CLI::ExistingDirectory);
    app.add_option("--fault", fault,
                   "misbehave for tests: none, close, silent, no-status, http11-401, oversize, zero-byte, drip")
        ->capture_default_str()
        ->check([](const std::string& name) {
            return quarn::sim::FaultFromName(name) ? std::string() : "unknown fault mode " + name;
        });
    std::string clock = "now";
    double speed = 1;
    std::vector<std::string> inputs;
    app.add_option("--clock", clock,
                   "the program's clock: now (the machine's local time) or a start such as 2026-12-14T06:00:00")
        ->capture_default_str()
        ->check([](const std::string& text) {
            return quarn::sim::ClockFromText(text, 1) ? std::string() : "not now or YYYY-MM-DDTHH:MM:SS: " + text;
        });
    app.add_option("--speed", speed, "how many times faster than real time the clock runs")
        ->capture_default_str()
        ->check(quarn::cli::FiniteNumberIn(0.001, 604800.0));
    app.add_option("--input", inputs, "an input that is on (S0=1) or off (S0=0) at the start; may be repeated")
        ->check([](const std::string& text) { return ParseInput(text) ? std::string() : "not S0=0 to S3=1: " + text; });
    app.footer(
        "Pages: the dashboard at the root, state.json, control.html[?D=1], input.json?S0=1, state_machine_mp.html.\n"
        "An accepted upload (and, at the start, DIR/state_machine.xml) runs on the clock; control.html shows\n"
        "its relays. A relay switched by hand stays so until the next change of a timer or an input.\n"
        "Limits: requests up to 1 MiB (else 413), 10 s per request (else 408), 64 connections at once.");
    CLI11_PARSE(app, argc, argv);

    const quarn::sim::SimClock simClock = *quarn::sim::ClockFromText(clock, speed);
    options.clock = [simClock] { return simClock.Now(); };
    options.speed = speed;
    for (const std::string& input : inputs) {
        const auto [n, on] = *ParseInput(input);
        options.inputs = static_cast<std::uint8_t>(on ? options.inputs | 1u << n : options.inputs & ~(1u << n));
    }

    options.port = static_cast<std::uint16_t>(port);
    options.store = store;
    options.fault = *quarn::sim::FaultFromName(fault);
    options.log = [](const std::string& line) {
        std::cerr << "quarnsim: " << quarn::TerminalSafeUtf8(line) << std::endl;
    };

    if (!quarn::net::StartSocketLayer()) {
        std::cerr << "quarnsim: Failed to initialize sockets\n";
        return 1;
    }
    quarn::sim::Server server(options);
    if (const int error = server.Open(); error != 0) {
        std::cerr << "quarnsim: cannot listen on " << options.address << ":" << port << " (error " << error << ")\n";
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    std::cout << server.Port() << std::endl;
    std::cerr << "quarnsim: listening on " << options.address << ":" << server.Port()
              << (options.store.empty() ? std::string() : ", storing uploads in " + store) << std::endl;
    std::cerr << "quarnsim: clock " << quarn::runtime::FormatDisplay(simClock.Now())
              << (speed == 1 ? std::string() : " at " + CLI::detail::to_string(speed) + "x") << "; dashboard at http://"
              << options.address << ":" << server.Port() << "/" << std::endl;
    server.Run(g_stop);
    std::cerr << "quarnsim: stopped" << std::endl;
    return 0;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
