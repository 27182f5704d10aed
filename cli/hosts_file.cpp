#include "cli/hosts_file.hpp"

#include <algorithm>

namespace quarn::cli {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The fields of one line before its comment.
std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] == '#')
            break;
        const std::size_t start = pos;
        while (pos < line.size() && !IsBlank(line[pos]))
            ++pos;
        fields.push_back(line.substr(start, pos - start));
    }
    return fields;
}

// Whether text is a port from 1 to 65535 written in digits.
bool ReadPort(std::string_view text, std::uint16_t& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

// "[::1]:8080", "fe80::1", "::ffff:10.0.0.1": an IPv6 address with or
// without brackets, as far as its characters tell.
bool LooksLikeIpv6(std::string_view host)
{
    if (host.starts_with('['))
        return true;
    if (std::count(host.begin(), host.end(), ':') < 2)
        return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.' ||
               c == '%';
    });
}

std::string Problem(int line, const std::string& what)
{
    return "line " + std::to_string(line) + ": " + what;
}

}  // namespace

HostsFile ParseHostsFile(std::string_view text, std::string_view defaultPassword)
{
    HostsFile file;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);

        const std::vector<std::string_view> fields = Fields(line);
        if (fields.empty())
            continue;
        if (fields.size() > 2) {
            file.error =
                Problem(number, "expected host[:port] [password], found " + std::to_string(fields.size()) + " fields");
            file.hosts.clear();
            return file;
        }
        // A zero byte would end the host or the password where the system
        // reads it, so the rest of it would be dropped without a word.
        if (line.find('\0') != std::string_view::npos) {
            file.error = Problem(number, "holds a zero byte");
            file.hosts.clear();
            return file;
        }
        HostEntry entry;
        entry.line = number;
        entry.label = std::string(fields[0]);
        std::string_view host = fields[0];
        // The controllers and the device link speak IPv4 only.
        if (LooksLikeIpv6(host)) {
            file.error = Problem(number, "\"" + std::string(host) +
                                             "\" is an IPv6 address; controllers are reached over IPv4 only");
            file.hosts.clear();
            return file;
        }
        if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
            if (!ReadPort(host.substr(colon + 1), entry.port)) {
                file.error =
                    Problem(number, "\"" + std::string(host.substr(colon + 1)) + "\" is not a port from 1 to 65535");
                file.hosts.clear();
                return file;
            }
            host = host.substr(0, colon);
        }
        if (host.empty()) {
            file.error = Problem(number, "no host before the port");
            file.hosts.clear();
            return file;
        }
        entry.host = std::string(host);
        entry.password = std::string(fields.size() > 1 ? fields[1] : defaultPassword);
        file.hosts.push_back(std::move(entry));
    }
    return file;
}

}  // namespace quarn::cli
