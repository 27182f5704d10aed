#include "tests/support/file_size_limit.hpp"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarn::test {

int RunInChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::optional<bool> RunWithFileSizeLimit(std::uint64_t limit, const std::function<bool()>& act)
{
    const int result = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit fileSize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        return act() ? 0 : 1;
    });
    if (result < 0)
        return std::nullopt;
    return result == 0;
}

}  // namespace quarn::test
