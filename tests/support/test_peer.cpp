#include "tests/support/test_peer.hpp"

namespace quarn::test {

namespace {

bool RequestComplete(const std::string& request)
{
    if (request.rfind("POST", 0) == 0)
        return request.find("--1234567890--\r\n\r\n") != std::string::npos;
    return request.find("\r\n\r\n") != std::string::npos;
}

}  // namespace

TestPeer::TestPeer(std::vector<std::string> chunks, Ending ending, std::chrono::milliseconds gap)
    : chunks_(std::move(chunks)), ending_(ending), gap_(gap)
{
    net::StartSocketLayer();
    net::SocketResult listening = net::ListenTcp("127.0.0.1", 0);
    listener_ = std::move(listening.socket);
    port_ = net::LocalPort(listener_);
    thread_ = std::thread([this] { Serve(); });
}

TestPeer::~TestPeer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

const std::string& TestPeer::Request()
{
    if (thread_.joinable())
        thread_.join();
    return request_;
}

void TestPeer::Serve()
{
    using namespace std::chrono_literals;
    net::Socket connection;
    while (!stop_ && !connection.Valid())
        connection = net::Accept(listener_, 50ms).socket;
    if (!connection.Valid())
        return;
    if (ending_ == Ending::CloseAtOnce)
        return;

    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!RequestComplete(request_) && std::chrono::steady_clock::now() < deadline && !stop_) {
        const net::ReceiveResult got = net::Receive(connection, buffer, sizeof buffer, 50ms);
        if (got.status == net::ReceiveStatus::Data)
            request_.append(buffer, got.count);
        else if (got.status != net::ReceiveStatus::TimedOut)
            break;
    }

    if (ending_ == Ending::StaySilent) {
        while (!stop_) {
            const net::ReceiveResult got = net::Receive(connection, buffer, sizeof buffer, 50ms);
            if (got.status == net::ReceiveStatus::Closed || got.status == net::ReceiveStatus::Failed)
                return;
        }
        return;
    }

    // A chunk that cannot be sent (the client has gone) ends the reply.
    for (const std::string& chunk : chunks_) {
        if (gap_.count() > 0)
            std::this_thread::sleep_for(gap_);
        if (stop_ || net::SendAll(connection, chunk, 5s) != 0)
            return;
    }
    // Let the client read everything before the connection goes.
    net::ShutdownSend(connection);
    while (net::Receive(connection, buffer, sizeof buffer, 2s).status == net::ReceiveStatus::Data) {
    }
}

std::uint16_t ClosedPort()
{
    net::StartSocketLayer();
    net::SocketResult listening = net::ListenTcp("127.0.0.1", 0);
    return net::LocalPort(listening.socket);  // closed again when listening goes
}

ExchangeOptions FastExchangeOptions(std::uint16_t port)
{
    ExchangeOptions options;
    options.port = port;
    options.connectTimeLimit = std::chrono::seconds(2);
    options.receiveTimeLimit = std::chrono::seconds(2);
    options.hooks.pause = [](std::chrono::milliseconds) {};
    return options;
}

namespace {
class RecordedWait : public BlockingWait {
public:
    explicit RecordedWait(std::string& record) : record_(record) { record_ += '+'; }
    ~RecordedWait() override { record_ += '-'; }

private:
    std::string& record_;
};
}  // namespace

void RecordWaits(ExchangeHooks& hooks, std::string& record)
{
    hooks.wait = [&record] { return std::make_unique<RecordedWait>(record); };
}

UploadOptions FastUploadOptions(std::uint16_t port)
{
    UploadOptions options;
    options.exchange = FastExchangeOptions(port);
    return options;
}

}  // namespace quarn::test
