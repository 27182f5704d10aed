#include "simulator/server.hpp"
#include "base/terminal_text.hpp"

#include <algorithm>
#include <list>
#include <mutex>
#include <system_error>
#include <thread>

namespace quarn::sim {

namespace {

using std::chrono_literals::operator""ms;
using std::chrono_literals::operator""s;
using Clock = std::chrono::steady_clock;

// How often a waiting connection looks at the stop and leave requests.
constexpr auto kStep = 50ms;

std::string ErrorPage(int status, std::string_view reason, std::string_view title)
{
    const std::string body = "<html><body><h1>" + std::string(title) + "</h1></body></html>\r\n";
    return "HTTP/1.0 " + std::to_string(status) + " " + std::string(reason) +
           "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

// One accepted connection and what the accept loop knows of it.
struct Server::Connection {
    net::Socket socket;
    Clock::time_point accepted;
    std::thread thread;
    std::atomic<bool> done{false};
    // While true, the connection may be told to go to make room.
    std::atomic<bool> mayLeave{true};
    std::atomic<bool> leave{false};

    bool Leaving(const std::atomic<bool>& stop) const { return stop || leave; }

    // Waits for data in short steps until the deadline, a stop or a leave.
    net::ReceiveResult Receive(char* buffer, std::size_t size, Clock::time_point deadline,
                               const std::atomic<bool>& stop)
    {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            const net::ReceiveResult got =
                net::Receive(socket, buffer, size, std::clamp<std::chrono::milliseconds>(left, 0ms, kStep));
            if (got.status != net::ReceiveStatus::TimedOut || Leaving(stop) || Clock::now() >= deadline)
                return got;
        }
    }

    // Sends in pieces, each within what is left of the deadline; 0 or an
    // error number.
    int Send(std::string_view bytes, Clock::time_point deadline, const std::atomic<bool>& stop)
    {
        while (!bytes.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left <= 0ms || Leaving(stop))
                return net::kTimedOut;
            const std::string_view piece = bytes.substr(0, 16384);
            if (const int error = net::SendAll(socket, piece, left); error != 0)
                return error;
            bytes.remove_prefix(piece.size());
        }
        return 0;
    }

    // Ends the connection so that the peer reads the whole reply: no more
    // sending, then whatever the peer still sends is read and dropped until
    // it closes, for at most two seconds.
    void CloseGently(const std::atomic<bool>& stop)
    {
        mayLeave = true;
        net::ShutdownSend(socket);
        char buffer[4096];
        const auto deadline = Clock::now() + 2s;
        while (!Leaving(stop) && Clock::now() < deadline) {
            const net::ReceiveResult got = net::Receive(socket, buffer, sizeof buffer, kStep);
            if (got.status == net::ReceiveStatus::Closed || got.status == net::ReceiveStatus::Failed)
                break;
        }
    }
};

Server::Server(ServerOptions options)
    : options_(std::move(options)),
      controller_(ControllerOptions{options_.password, options_.store, options_.clock, options_.speed, options_.inputs})
{
    if (!options_.accept)
        options_.accept = [](net::Socket& listener, net::Timeout timeout) { return net::Accept(listener, timeout); };
    options_.maxConnections = std::max<std::size_t>(options_.maxConnections, 1);
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
    std::list<Connection> connections;
    std::chrono::milliseconds backoff{0};
    // Threads still running, those told to leave included, stay below this.
    const std::size_t threadLimit = 2 * options_.maxConnections;
    if (const std::string loaded = controller_.LoadStoredProgram(); !loaded.empty())
        Log(loaded);
    while (!stop) {
        // The program runs on between requests; its changes go to the log.
        for (const std::string& line : controller_.Advance())
            Log(line);
        connections.remove_if([](Connection& connection) {
            if (!connection.done)
                return false;
            connection.thread.join();
            return true;
        });
        if (connections.size() >= threadLimit) {
            // The rest wait in the system's queue until some have gone.
            std::this_thread::sleep_for(10ms);
            continue;
        }

        net::SocketResult accepted = options_.accept(listener_, 100ms);
        if (!accepted.socket.Valid()) {
            if (accepted.error == 0)
                continue;
            // No descriptor left, or another failure that the next accept
            // would repeat at once: wait instead of spinning.
            if (backoff == 0ms)
                Log("cannot accept a connection (error " + std::to_string(accepted.error) + "); waiting");
            backoff = std::clamp(backoff * 2, options_.firstAcceptBackoff, options_.lastAcceptBackoff);
            for (auto until = Clock::now() + backoff; !stop && Clock::now() < until;)
                std::this_thread::sleep_for(std::min<Clock::duration>(until - Clock::now(), 10ms));
            continue;
        }
        backoff = 0ms;

        const std::size_t serving = static_cast<std::size_t>(
            std::count_if(connections.begin(), connections.end(), [](const Connection& c) { return !c.leave; }));
        if (serving >= options_.maxConnections) {
            // The oldest one that may leave makes room; the list is in
            // order of arrival.
            auto oldest = std::find_if(connections.begin(), connections.end(),
                                       [](const Connection& c) { return !c.leave && c.mayLeave; });
            if (oldest == connections.end()) {
                Log("refused a connection: " + std::to_string(serving) + " are being served");
                continue;
            }
            oldest->leave = true;
            Log("dropped the oldest unfinished connection to make room");
        }

        Connection& connection = connections.emplace_back();
        connection.socket = std::move(accepted.socket);
        connection.accepted = Clock::now();
        try {
            connection.thread = std::thread([this, &connection, &stop] {
                Serve(connection, stop);
                connection.socket.Close();
                connection.done = true;
            });
        } catch (const std::system_error& error) {
            Log(std::string("refused a connection: no thread for it (") + error.what() + ")");
            connections.pop_back();
        }
    }
    for (Connection& connection : connections)
        connection.thread.join();
    listener_.Close();
}

void Server::Serve(Connection& connection, const std::atomic<bool>& stop)
{
    const Clock::time_point deadline = connection.accepted + options_.requestLimit;
    std::string received;
    char buffer[4096];
    RequestScanner scanner;
    RequestScan scan;
    bool timedOut = false;
    for (;;) {
        scan = scanner.Scan(received);
        if (scan.state != RequestState::Incomplete)
            break;
        if (received.size() > kMaxRequestBytes) {
            scan.state = RequestState::Malformed;
            break;
        }
        const net::ReceiveResult got = connection.Receive(buffer, sizeof buffer, deadline, stop);
        if (got.status == net::ReceiveStatus::TimedOut && !connection.Leaving(stop)) {
            timedOut = true;
            break;
        }
        if (got.status != net::ReceiveStatus::Data) {
            Log(connection.leave ? "connection dropped before a whole request arrived"
                                 : "connection ended before a whole request arrived");
            return;
        }
        received.append(buffer, got.count);
    }
    if (timedOut) {
        Log("(request not whole in time) -> 408");
        connection.mayLeave = false;
        if (connection.Send(ErrorPage(408, "Request Timeout", "Request timeout"), Clock::now() + 1s, stop) == 0)
            connection.CloseGently(stop);
        return;
    }

    const std::string requestLine = scan.state == RequestState::Complete
                                        ? TerminalSafeUtf8(scan.request.method + " " + scan.request.target)
                                        : std::string("(malformed request)");
    const std::string fault =
        options_.fault == Fault::None ? std::string() : " [fault " + std::string(FaultName(options_.fault)) + "]";

    if (options_.fault == Fault::Close) {
        Log(requestLine + " -> closed without reply" + fault);
        return;
    }
    if (options_.fault == Fault::Silent) {
        Log(requestLine + " -> no answer" + fault);
        while (!connection.Leaving(stop)) {
            const net::ReceiveResult got = net::Receive(connection.socket, buffer, sizeof buffer, kStep);
            if (got.status == net::ReceiveStatus::Closed || got.status == net::ReceiveStatus::Failed)
                break;
        }
        return;
    }

    connection.mayLeave = false;
    Reply reply;
    if (scan.state == RequestState::Complete && !IsKnownVersion(scan.request.version)) {
        reply.status = 505;
        reply.bytes = ErrorPage(505, "HTTP Version Not Supported", "HTTP version not supported");
    } else if (scan.state == RequestState::Complete && !HostAllowed(scan.request, options_.address)) {
        // A name that is not this server's: a page elsewhere that reached it
        // through DNS (rebinding) gets nothing.
        reply.status = 403;
        reply.bytes = ErrorPage(403, "Forbidden", "Host not allowed");
    } else if (scan.state == RequestState::Complete) {
        reply = controller_.Handle(scan.request);
        if (scan.request.method == "HEAD") {
            const std::size_t headEnd = reply.bytes.find("\r\n\r\n");
            if (headEnd != std::string::npos)
                reply.bytes.resize(headEnd + 4);
        }
    } else {
        const bool tooLarge = received.size() > kMaxRequestBytes;
        reply.status = tooLarge ? 413 : 400;
        reply.bytes = tooLarge ? ErrorPage(413, "Request Too Large", "Request too large")
                               : ErrorPage(400, "Bad Request", "Bad request");
    }
    const std::string bytes = ApplyFault(options_.fault, std::move(reply.bytes));
    const int shownStatus = options_.fault == Fault::Unauthorized11 ? 401 : reply.status;
    Log(requestLine + " -> " + std::to_string(shownStatus) + " (" + std::to_string(bytes.size()) + " bytes)" + fault);

    // However long the request took, the reply gets a second.
    const Clock::time_point sendDeadline = std::max(deadline, Clock::now() + 1s);
    if (options_.fault == Fault::Drip) {
        for (std::size_t at = 0; at < bytes.size(); at += 7) {
            if (connection.Send(std::string_view(bytes).substr(at, 7), sendDeadline, stop) != 0)
                return;
            std::this_thread::sleep_for(3ms);
        }
    } else if (connection.Send(bytes, sendDeadline, stop) != 0) {
        return;
    }
    connection.CloseGently(stop);
}

}  // namespace quarn::sim
