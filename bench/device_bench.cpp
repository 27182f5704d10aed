// One upload and one relay switch to the simulator on loopback through the
// device link, against a plain socket that sends the same request bytes and
// reads the same reply until the simulator closes.
#include "bench/sample_documents.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"
#include "simulator/server.hpp"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

constexpr char16_t kPassword[] = u"tovel";

// The simulator, serving on an ephemeral loopback port for the whole run.
class Simulator {
public:
    Simulator() : server_(OnAnyPort())
    {
        quarn::net::StartSocketLayer();
        if (server_.Open() == 0) {
            port_ = server_.Port();
            thread_ = std::thread([this] { server_.Run(stop_); });
        }
    }
    ~Simulator()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    std::uint16_t Port() const { return port_; }

private:
    static quarn::sim::ServerOptions OnAnyPort()
    {
        quarn::sim::ServerOptions options;
        options.port = 0;
        return options;
    }

    quarn::sim::Server server_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::uint16_t port_ = 0;
};

Simulator& Sim()
{
    static Simulator simulator;
    return simulator;
}

// Connects, sends request whole, reads until the peer closes. Returns the
// number of reply bytes, or -1 on failure.
long RawExchange(std::uint16_t port, const std::string& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    long total = -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::size_t sent = 0;
        while (sent < request.size()) {
            const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        total = 0;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, 4095, 0);
            if (n <= 0)
                break;
            total += n;
        }
    }
    ::close(fd);
    return total;
}

quarn::ExchangeOptions Options()
{
    quarn::ExchangeOptions options;
    options.port = Sim().Port();
    return options;
}

std::u16string Wide(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

void BM_Upload_DeviceLink(benchmark::State& state)
{
    quarn::UploadOptions options;
    options.exchange = Options();
    const std::u16string path = Wide(quarn::bench::WorkedExamplePath());
    for (auto _ : state) {
        const quarn::UploadOutcome outcome = quarn::UploadStateMachine(u"127.0.0.1", path, kPassword, options);
        if (outcome.failure != quarn::UploadFailure::None) {
            state.SkipWithError("upload failed");
            break;
        }
    }
}
BENCHMARK(BM_Upload_DeviceLink)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Upload_RawSocket(benchmark::State& state)
{
    const std::string request = quarn::BuildUploadRequest(quarn::CredentialsToken(kPassword),
                                                          quarn::TextModeContent(quarn::bench::WorkedExampleBytes()));
    const std::uint16_t port = Sim().Port();
    for (auto _ : state) {
        if (RawExchange(port, request) <= 0) {
            state.SkipWithError("raw upload failed");
            break;
        }
    }
}
BENCHMARK(BM_Upload_RawSocket)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Switch_DeviceLink(benchmark::State& state)
{
    const quarn::ExchangeOptions options = Options();
    const std::string query = quarn::RelayQuery(3, true);
    for (auto _ : state) {
        const quarn::ControlResult result = quarn::SendControlRequest(u"127.0.0.1", query, options);
        if (result.status != 200) {
            state.SkipWithError("switch failed");
            break;
        }
    }
}
BENCHMARK(BM_Switch_DeviceLink)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Switch_RawSocket(benchmark::State& state)
{
    const std::string request = quarn::BuildControlRequest(quarn::RelayQuery(3, true));
    const std::uint16_t port = Sim().Port();
    for (auto _ : state) {
        if (RawExchange(port, request) <= 0) {
            state.SkipWithError("raw switch failed");
            break;
        }
    }
}
BENCHMARK(BM_Switch_RawSocket)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
