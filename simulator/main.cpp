// quarnsim: a QUARN controller on loopback. Serves the control page, relay
// switching and the state-machine upload, so the programs and their tests
// have a real peer without hardware.
#include <CLI/CLI.hpp>

#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "devicelink/socket_layer.hpp"
#include "simulator/server.hpp"

#ifndef QUARN_VERSION
#define QUARN_VERSION "unknown"
#endif

namespace {

std::atomic<bool> g_stop{false};

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
    CLI11_PARSE(app, argc, argv);

    options.port = static_cast<std::uint16_t>(port);
    options.store = store;
    options.fault = *quarn::sim::FaultFromName(fault);
    options.log = [](const std::string& line) { std::cerr << "quarnsim: " << line << std::endl; };

    if (!quarn::net::StartSocketLayer()) {
        std::cerr << "quarnsim: Failed to initialize sockets\n";
        return 1;
    }
    quarn::sim::Server server(options);
    if (const int error = server.Open(); error != 0) {
        std::cerr << "quarnsim: cannot listen on " << options.address << ":" << port << " (error " << error
                  << ")\n";
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    std::cout << server.Port() << std::endl;
    std::cerr << "quarnsim: listening on " << options.address << ":" << server.Port()
              << (options.store.empty() ? std::string() : ", storing uploads in " + store) << std::endl;
    server.Run(g_stop);
    std::cerr << "quarnsim: stopped" << std::endl;
    return 0;
}
