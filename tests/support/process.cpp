#include "tests/support/process.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarn::test {

namespace {

using Clock = std::chrono::steady_clock;

// A temporary file without a name, gone when it is closed. The child writes
// its output there rather than into a pipe, so nothing it leaves running
// can keep a read waiting, and no pipe can fill up while the test waits.
class AnonymousFile {
public:
    AnonymousFile() : file_(std::tmpfile())
    {
        if (file_ != nullptr)
            ::fcntl(fd(), F_SETFD, FD_CLOEXEC);
    }
    ~AnonymousFile()
    {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    AnonymousFile(const AnonymousFile&) = delete;
    AnonymousFile& operator=(const AnonymousFile&) = delete;

    bool Usable() const { return file_ != nullptr; }
    int fd() const { return ::fileno(file_); }

    bool Write(const std::string& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::write(fd(), bytes.data() + done, bytes.size() - done);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                return false;
            done += static_cast<std::size_t>(wrote);
        }
        return ::lseek(fd(), 0, SEEK_SET) == 0;
    }

    std::string Bytes() const
    {
        std::string bytes;
        char buffer[8192];
        for (off_t at = 0;;) {
            const ssize_t got = ::pread(fd(), buffer, sizeof buffer, at);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return bytes;
            bytes.append(buffer, static_cast<std::size_t>(got));
            at += got;
        }
    }

private:
    std::FILE* file_;
};

// The command as one line for failure messages.
std::string CommandLine(const std::vector<std::string>& command)
{
    std::string line;
    for (const std::string& part : command)
        line += (line.empty() ? "" : " ") + ShellQuoted(part);
    return line;
}

}  // namespace

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CommandResult RunCommand(const std::vector<std::string>& command, const std::optional<std::string>& input,
                         std::chrono::milliseconds limit)
{
    CommandResult result;
    if (command.empty()) {
        ADD_FAILURE() << "RunCommand without a program";
        return result;
    }
    const AnonymousFile in;
    const AnonymousFile out;
    const AnonymousFile err;
    if (!in.Usable() || !out.Usable() || !err.Usable() || !in.Write(input.value_or(""))) {
        ADD_FAILURE() << "no temporary file for " << CommandLine(command);
        return result;
    }

    // Everything the child needs is made before fork: after it, the child
    // only moves descriptors and starts the program.
    std::vector<std::string> arguments = command;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed (" << errno << ") for " << CommandLine(command);
        return result;
    }
    if (pid == 0) {
        // A process group of its own, so that a program killed at its
        // deadline takes the programs it started (a shell's) with it.
        ::setpgid(0, 0);
        ::dup2(in.fd(), STDIN_FILENO);
        ::dup2(out.fd(), STDOUT_FILENO);
        ::dup2(err.fd(), STDERR_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);

    const Clock::time_point deadline = Clock::now() + limit;
    std::chrono::milliseconds pause{1};
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            status = -1;
            break;
        }
        if (Clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }

    result.status = !result.timedOut && status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = out.Bytes();
    result.error = err.Bytes();
    if (result.timedOut) {
        ADD_FAILURE() << CommandLine(command) << " still ran after " << limit.count()
                      << " ms and was killed.\nstdout so far:\n"
                      << result.output << "\nstderr so far:\n"
                      << result.error;
    }
    return result;
}

CommandResult RunShell(const std::string& program, const std::string& arguments,
                       const std::optional<std::string>& input, std::chrono::milliseconds limit)
{
    return RunCommand({"/bin/sh", "-c", ShellQuoted(program) + " " + arguments}, input, limit);
}

}  // namespace quarn::test
