#pragma once
// The hosts file of quarnctl deploy and status: one controller per line,
//   host[:port] [password]
// A '#' at the start of a field begins a comment that runs to the end of the
// line; blank lines and comment lines are skipped; a line without a password
// uses the default one. Fields are separated by spaces or tabs; CR LF line
// ends and a UTF-8 byte-order mark are allowed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::cli {

struct HostEntry {
    std::string host;  // as written, without the port
    std::uint16_t port = 80;
    std::string password;  // the line's own, or the default
    int line = 0;          // 1-based line number in the file
    std::string label;     // host[:port] as written, to show the host by
};

struct HostsFile {
    std::vector<HostEntry> hosts;
    // Empty, or what is wrong, naming the line: "line 3: ...". The first bad
    // line ends the reading; hosts is then empty.
    std::string error;
};

HostsFile ParseHostsFile(std::string_view text, std::string_view defaultPassword);

}  // namespace quarn::cli
