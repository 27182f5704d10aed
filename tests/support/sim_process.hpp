#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarn::test {

// A quarnsim child process on a free loopback port, stopped with SIGTERM
// when the object goes.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> arguments);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // 0 when the simulator did not start.
    std::uint16_t Port() const { return port_; }
    // Sends SIGTERM and returns the exit status (-1 when it did not exit
    // by itself within a few seconds).
    int Stop();
    // What the simulator wrote to stderr so far.
    std::string Log() const;

private:
    int pid_ = -1;
    std::uint16_t port_ = 0;
    std::string logPath_;
};

}  // namespace quarn::test
