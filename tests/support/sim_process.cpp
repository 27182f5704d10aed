#include "tests/support/sim_process.hpp"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifndef QUARNSIM_PATH
#error "QUARNSIM_PATH must name the quarnsim executable"
#endif

namespace quarn::test {

namespace {

std::vector<char*> Argv(std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> arguments)
{
    char logTemplate[] = "/tmp/quarnsim-log-XXXXXX";
    const int logFd = mkstemp(logTemplate);
    logPath_ = logTemplate;
    int out[2];
    if (logFd < 0 || pipe(out) != 0)
        return;
    std::vector<std::string> command{QUARNSIM_PATH, "--port", "0"};
    command.insert(command.end(), std::make_move_iterator(arguments.begin()), std::make_move_iterator(arguments.end()));
    std::vector<char*> argv = Argv(command);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(logFd);
    // The first line is the port; the simulator writes nothing more there.
    std::string line;
    pollfd fd{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&fd, 1, 5000) > 0) {
        char buffer[64];
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    port_ = static_cast<std::uint16_t>(std::atoi(line.c_str()));
}

SimProcess::~SimProcess()
{
    Stop();
    std::remove(logPath_.c_str());
}

int SimProcess::Stop()
{
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string SimProcess::Log() const
{
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace quarn::test
