#include "quarnctl_runner.hpp"

#include "tests/support/process.hpp"

namespace quarn::test {

QuarnctlRunner::Run QuarnctlRunner::operator()(const std::string& arguments) const
{
    CommandResult result = RunShell(QUARNCTL_PATH, arguments);
    return Run{result.status, std::move(result.output), std::move(result.error)};
}

std::string QuarnctlRunner::Quoted(const std::string& text)
{
    return ShellQuoted(text);
}

std::string QuarnctlRunner::Read(const std::filesystem::path& path)
{
    return ReadBytes(path);
}

void QuarnctlRunner::Write(const std::filesystem::path& path, const std::string& bytes)
{
    WriteBytes(path, bytes);
}

}  // namespace quarn::test
