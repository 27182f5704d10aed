#include "quarnctl_runner.hpp"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/wait.h>

namespace quarn::test {

namespace fs = std::filesystem;

QuarnctlRunner::QuarnctlRunner()
{
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("quarnctl-run-" + std::to_string(random()));
    fs::create_directories(folder_);
}

QuarnctlRunner::~QuarnctlRunner()
{
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string QuarnctlRunner::Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

QuarnctlRunner::Run QuarnctlRunner::operator()(const std::string& arguments) const
{
    const fs::path out = folder_ / "stdout.txt";
    const fs::path err = folder_ / "stderr.txt";
    // No run can hang the suite: one that waits for ever ends with 124.
    const std::string command =
        "timeout -k 5 60 " + Quoted(QUARNCTL_PATH) + " " + arguments + " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
    const int raw = std::system(command.c_str());
    Run run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Read(out);
    run.err = Read(err);
    fs::remove(out);
    fs::remove(err);
    return run;
}

std::string QuarnctlRunner::Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

void QuarnctlRunner::Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace quarn::test
