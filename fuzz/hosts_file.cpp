// The hosts file of quarnctl deploy and status: ParseHostsFile over
// arbitrary bytes. Invariants: an error names a line and leaves no hosts;
// otherwise every host is a non-empty name without blanks or zero bytes,
// not an IPv6 address in brackets, on a port from 1 to 65535, from lines in
// increasing order.
//
// Input: the file's bytes.

#include "cli/hosts_file.hpp"
#include "fuzz/fuzz_check.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quarn::cli;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const HostsFile file = ParseHostsFile(text, "tovel");
    if (!file.error.empty()) {
        FUZZ_CHECK(file.error.rfind("line ", 0) == 0);
        FUZZ_CHECK(file.hosts.empty());
        return 0;
    }
    int line = 0;
    for (const HostEntry& host : file.hosts) {
        FUZZ_CHECK(!host.host.empty());
        FUZZ_CHECK(host.host.find_first_of(std::string_view(" \t\0", 3)) == std::string::npos);
        FUZZ_CHECK(!host.host.starts_with('['));
        FUZZ_CHECK(host.password.find('\0') == std::string::npos);
        FUZZ_CHECK(host.port >= 1);
        FUZZ_CHECK(host.line > line);
        line = host.line;
    }
    return 0;
}
