#include "cli/hosts_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarn::cli {
namespace {

struct Expected {
    std::string host;
    std::uint16_t port;
    std::string password;
    int line;
};

TEST(HostsFile, ReadsOneControllerPerLine)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<Expected> hosts;
    } cases[] = {
        {"host only", "quarn\n", {{"quarn", 80, "tovel", 1}}},
        {"port and password", "10.0.0.7:8080 secret\n", {{"10.0.0.7", 8080, "secret", 1}}},
        {"comments, blank lines, tabs, CR LF, no final line end",
         "# greenhouses\r\n\r\n  \t\r\nnorth\t# the old one\r\nsouth:81  pw#1 # pw#1 is the password\r\neast",
         {{"north", 80, "tovel", 4}, {"south", 81, "pw#1", 5}, {"east", 80, "tovel", 6}}},
        {"byte-order mark", "\xEF\xBB\xBFquarn\n", {{"quarn", 80, "tovel", 1}}},
        {"highest port, duplicates kept", "a:65535\na:65535\n", {{"a", 65535, "tovel", 1}, {"a", 65535, "tovel", 2}}},
        {"nothing but comments", "# none yet\n\n", {}},
    };
    for (const auto& c : cases) {
        const HostsFile file = ParseHostsFile(c.text, "tovel");
        EXPECT_EQ(file.error, "") << c.name;
        ASSERT_EQ(file.hosts.size(), c.hosts.size()) << c.name;
        for (std::size_t i = 0; i < c.hosts.size(); ++i) {
            EXPECT_EQ(file.hosts[i].host, c.hosts[i].host) << c.name;
            EXPECT_EQ(file.hosts[i].port, c.hosts[i].port) << c.name;
            EXPECT_EQ(file.hosts[i].password, c.hosts[i].password) << c.name;
            EXPECT_EQ(file.hosts[i].line, c.hosts[i].line) << c.name;
        }
    }
    EXPECT_EQ(ParseHostsFile("south:81 pw\n", "tovel").hosts.at(0).label, "south:81");
}

TEST(HostsFile, BadLinesNameTheirNumber)
{
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"ok\n\nhost pw extra\n", "line 3: expected host[:port] [password], found 3 fields"},
        {"host:0\n", "line 1: \"0\" is not a port from 1 to 65535"},
        {"ok\nhost:65536\n", "line 2: \"65536\" is not a port from 1 to 65535"},
        {"host:\n", "line 1: \"\" is not a port from 1 to 65535"},
        {"host:8o\n", "line 1: \"8o\" is not a port from 1 to 65535"},
        {"host:1:2\n", "line 1: \"1:2\" is not a port from 1 to 65535"},
        {":80 pw\n", "line 1: no host before the port"},
        {"ok\nho\0st pw\n"s, "line 2: holds a zero byte"},
        {"host pass\0word\n"s, "line 1: holds a zero byte"},
        {"[::1]:8080\n", "line 1: \"[::1]:8080\" is an IPv6 address; controllers are reached over IPv4 only"},
        {"fe80::1 pw\n", "line 1: \"fe80::1\" is an IPv6 address; controllers are reached over IPv4 only"},
    };
    for (const auto& c : cases) {
        const HostsFile file = ParseHostsFile(c.text, "tovel");
        EXPECT_EQ(file.error, c.error) << c.text;
        EXPECT_TRUE(file.hosts.empty()) << c.text;
    }
}

}  // namespace
}  // namespace quarn::cli
