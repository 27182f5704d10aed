#include "simulator/server.hpp"

#include <list>
#include <mutex>
#include <thread>

namespace quarn::sim {

namespace {

using namespace std::chrono_literals;

// Waits for data in short steps so that a stop request is seen quickly.
net::ReceiveResult ReceiveOrStop(net::Socket& socket, char* buffer, std::size_t size,
                                 std::chrono::milliseconds limit, const std::atomic<bool>& stop)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const net::ReceiveResult got = net::Receive(socket, buffer, size, 100ms);
        if (got.status != net::ReceiveStatus::TimedOut)
            return got;
        if (stop || std::chrono::steady_clock::now() >= deadline)
            return got;
    }
}

// Ends a connection so that the peer reads the whole reply: no more sending,
// then whatever the peer still sends is read and dropped until it closes.
void CloseGently(net::Socket& socket, const std::atomic<bool>& stop)
{
    net::ShutdownSend(socket);
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!stop && std::chrono::steady_clock::now() < deadline) {
        const net::ReceiveResult got = net::Receive(socket, buffer, sizeof buffer, 100ms);
        if (got.status == net::ReceiveStatus::Closed || got.status == net::ReceiveStatus::Failed)
            break;
    }
    socket.Close();
}

std::string Printable(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += (static_cast<unsigned char>(c) >= 32 && c != 127) ? c : '?';
    return out;
}

}  // namespace

Server::Server(ServerOptions options) : options_(std::move(options)), controller_(options_.password, options_.store)
{
}

int Server::Open()
{
    net::SocketResult listening = net::ListenTcp(options_.address, options_.port);
    if (!listening.socket.Valid())
        return listening.error;
    listener_ = std::move(listening.socket);
    return 0;
}

std::uint16_t Server::Port() const
{
    return net::LocalPort(listener_);
}

void Server::Log(const std::string& line)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (options_.log)
        options_.log(line);
}

void Server::Run(const std::atomic<bool>& stop)
{
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::list<Worker> workers;
    while (!stop) {
        net::SocketResult accepted = net::Accept(listener_, 100ms);
        workers.remove_if([](Worker& worker) {
            if (!worker.done)
                return false;
            worker.thread.join();
            return true;
        });
        if (!accepted.socket.Valid())
            continue;
        Worker& worker = workers.emplace_back();
        worker.thread = std::thread([this, &worker, &stop, socket = std::move(accepted.socket)]() mutable {
            Serve(std::move(socket), stop);
            worker.done = true;
        });
    }
    for (Worker& worker : workers)
        worker.thread.join();
    listener_.Close();
}

void Server::Serve(net::Socket connection, const std::atomic<bool>& stop)
{
    std::string received;
    char buffer[4096];
    RequestScan scan;
    for (;;) {
        scan = ScanRequest(received);
        if (scan.state != RequestState::Incomplete)
            break;
        if (received.size() > kMaxRequestBytes) {
            scan.state = RequestState::Malformed;
            break;
        }
        const net::ReceiveResult got = ReceiveOrStop(connection, buffer, sizeof buffer, options_.idleLimit, stop);
        if (got.status != net::ReceiveStatus::Data) {
            Log("connection ended before a whole request arrived");
            return;
        }
        received.append(buffer, got.count);
    }

    const std::string requestLine = scan.state == RequestState::Complete
                                        ? Printable(scan.request.method + " " + scan.request.target)
                                        : std::string("(malformed request)");
    const std::string fault =
        options_.fault == Fault::None ? std::string() : " [fault " + std::string(FaultName(options_.fault)) + "]";

    if (options_.fault == Fault::Close) {
        Log(requestLine + " -> closed without reply" + fault);
        return;
    }
    if (options_.fault == Fault::Silent) {
        Log(requestLine + " -> no answer" + fault);
        while (!stop) {
            const net::ReceiveResult got = net::Receive(connection, buffer, sizeof buffer, 100ms);
            if (got.status == net::ReceiveStatus::Closed || got.status == net::ReceiveStatus::Failed)
                break;
        }
        return;
    }

    Reply reply;
    if (scan.state == RequestState::Complete) {
        reply = controller_.Handle(scan.request);
    } else {
        const bool tooLarge = received.size() > kMaxRequestBytes;
        const std::string body = tooLarge ? "<html><body><h1>Request too large</h1></body></html>\r\n"
                                          : "<html><body><h1>Bad request</h1></body></html>\r\n";
        reply.status = tooLarge ? 413 : 400;
        reply.bytes = std::string("HTTP/1.0 ") + (tooLarge ? "413 Request Too Large" : "400 Bad Request") +
                      "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body;
    }
    const std::string bytes = ApplyFault(options_.fault, std::move(reply.bytes));
    const int shownStatus = options_.fault == Fault::Unauthorized11 ? 401 : reply.status;
    Log(requestLine + " -> " + std::to_string(shownStatus) + " (" + std::to_string(bytes.size()) + " bytes)" + fault);

    if (options_.fault == Fault::Drip) {
        for (std::size_t at = 0; at < bytes.size() && !stop; at += 7) {
            if (net::SendAll(connection, std::string_view(bytes).substr(at, 7), 2s) != 0)
                return;
            std::this_thread::sleep_for(3ms);
        }
    } else if (net::SendAll(connection, bytes, options_.idleLimit) != 0) {
        return;
    }
    CloseGently(connection, stop);
}

}  // namespace quarn::sim
