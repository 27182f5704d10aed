#include "simulator/http_request.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "devicelink/upload.hpp"

namespace quarn::sim {
namespace {

// A request exactly as the programs send it.
std::string ProgramUpload(const std::string& content, const std::u16string& password = u"tovel")
{
    return BuildUploadRequest(CredentialsToken(password), content);
}

std::string CurlUpload(const std::string& content, const std::string& extraHeaders = "")
{
    const std::string body = "--------------------------abc123\r\n"
                             "Content-Disposition: form-data; name=\"note\"\r\n\r\n"
                             "not the file\r\n"
                             "--------------------------abc123\r\n"
                             "Content-Disposition: form-data; name=\"file\"; filename=\"sm.xml\"\r\n"
                             "Content-Type: application/xml\r\n\r\n" +
                             content +
                             "\r\n"
                             "--------------------------abc123--\r\n";
    return "POST /state_machine_mp.html HTTP/1.1\r\n"
           "Host: 127.0.0.1\r\n"
           "Authorization: Basic YWRtaW46dG92ZWw=\r\n" +
           extraHeaders + "Content-Length: " + std::to_string(body.size()) +
           "\r\n"
           "Content-Type: multipart/form-data; boundary=------------------------abc123\r\n\r\n" +
           body;
}

TEST(ScanRequest, KnowsWhenEachKindOfRequestIsWhole)
{
    const std::string program = ProgramUpload("<statemachine/>\n");
    const std::string curl = CurlUpload("<statemachine/>\r\n");
    const std::string get = "GET /control.html?D=1 HTTP/1.0\r\n\r\n";
    for (const std::string& whole : {program, curl, get, ProgramUpload("")}) {
        // Every proper prefix is incomplete (the programs' trailing empty
        // line is optional), the whole request is complete.
        const std::size_t shortest = whole.rfind("--\r\n\r\n") == whole.size() - 6 ? whole.size() - 2 : whole.size();
        for (std::size_t n = 0; n < shortest; n += 7)
            EXPECT_EQ(ScanRequest(std::string_view(whole).substr(0, n)).state, RequestState::Incomplete)
                << n << " of " << whole;
        EXPECT_EQ(ScanRequest(whole).state, RequestState::Complete) << whole;
    }
    const RequestScan scan = ScanRequest(get);
    EXPECT_EQ(scan.request.method, "GET");
    EXPECT_EQ(scan.request.target, "/control.html?D=1");
    EXPECT_EQ(scan.request.version, "HTTP/1.0");

    EXPECT_EQ(ScanRequest("garbage\r\n\r\n").state, RequestState::Malformed);
    EXPECT_EQ(ScanRequest("POST / HTTP/1.0\r\nContent-Length: x\r\n\r\n").state, RequestState::Malformed);
}

std::string ChunkedUpload(const std::string& chunkedBody)
{
    return "POST /state_machine_mp.html HTTP/1.1\r\n"
           "Authorization: Basic YWRtaW46dG92ZWw=\r\n"
           "Transfer-Encoding: chunked\r\n"
           "Content-Type: multipart/form-data; boundary=XyZ\r\n\r\n" +
           chunkedBody;
}

TEST(ScanRequest, DecodesChunkedBodies)
{
    const std::string multipart = "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.xml\"\r\n\r\n"
                                  "<statemachine/>\r\n--XyZ--\r\n";
    const struct {
        const char* name;
        std::string chunked;
        std::string body;
    } cases[] = {
        {"one chunk", "5\r\nhello\r\n0\r\n\r\n", "hello"},
        {"several, upper and lower case hex", "3\r\nabc\r\nA\r\n0123456789\r\nb\r\n0123456789x\r\n0\r\n\r\n",
         "abc01234567890123456789x"},
        {"extensions and trailers", "4;name=value\r\nwxyz\r\n0;last\r\nX-Check: 1\r\n\r\n", "wxyz"},
        {"LF line ends", "2\nab\n0\n\n", "ab"},
        {"empty", "0\r\n\r\n", ""},
        {"line ends inside the data", "4\r\n\r\n\r\n\r\n0\r\n\r\n", "\r\n\r\n"},
    };
    for (const auto& c : cases) {
        const std::string whole = ChunkedUpload(c.chunked);
        const std::size_t bodyStart = whole.size() - c.chunked.size();
        for (std::size_t n = 0; n < whole.size(); ++n)
            ASSERT_EQ(ScanRequest(std::string_view(whole).substr(0, n)).state, RequestState::Incomplete)
                << c.name << ", " << n << " bytes";
        const RequestScan scan = ScanRequest(whole);
        ASSERT_EQ(scan.state, RequestState::Complete) << c.name;
        EXPECT_EQ(scan.request.body, c.body) << c.name;
        EXPECT_GE(bodyStart, 0u);
    }

    // curl -H "Transfer-Encoding: chunked" -F file=@a.xml: the file comes out
    // without the chunk lines.
    std::string chunked;
    for (std::size_t at = 0; at < multipart.size(); at += 10) {
        const std::string piece = multipart.substr(at, 10);
        char size[8];
        std::snprintf(size, sizeof size, "%zx", piece.size());
        chunked += std::string(size) + "\r\n" + piece + "\r\n";
    }
    chunked += "0\r\n\r\n";
    const RequestScan scan = ScanRequest(ChunkedUpload(chunked));
    ASSERT_EQ(scan.state, RequestState::Complete);
    EXPECT_EQ(UploadedFile(scan.request), "<statemachine/>");

    for (const std::string& bad : std::vector<std::string>{"x\r\n", "-1\r\n", "\r\n", "5\r\nhelloX\r\n",
                                                           "ffffffffffffffffff\r\n", std::string(2000, '1')})
        EXPECT_EQ(ScanRequest(ChunkedUpload(bad)).state, RequestState::Malformed) << bad.substr(0, 30);
    EXPECT_EQ(ScanRequest("POST / HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\nxx").state, RequestState::Malformed);
    // The coding wins over a length.
    const RequestScan both =
        ScanRequest("POST / HTTP/1.1\r\nContent-Length: 3\r\nTransfer-Encoding: Chunked\r\n\r\n1\r\nz\r\n0\r\n\r\n");
    ASSERT_EQ(both.state, RequestState::Complete);
    EXPECT_EQ(both.request.body, "z");
}

TEST(ScanRequest, ReadsRequestsWithLfLineEnds)
{
    const RequestScan get = ScanRequest("GET /control.html?D=1 HTTP/1.0\nHost: x\n\n");
    ASSERT_EQ(get.state, RequestState::Complete);
    EXPECT_EQ(get.request.target, "/control.html?D=1");
    EXPECT_EQ(get.request.headerLines, std::vector<std::string>{"Host: x"});
    EXPECT_EQ(ScanRequest("GET / HTTP/1.0\n").state, RequestState::Incomplete);

    // The programs' upload with every CR LF turned into LF.
    std::string lf;
    for (const char c : ProgramUpload("<statemachine>\n</statemachine>\n"))
        if (c != '\r')
            lf += c;
    const RequestScan upload = ScanRequest(lf);
    ASSERT_EQ(upload.state, RequestState::Complete);
    EXPECT_TRUE(HasCredentials(upload.request, "tovel"));
    EXPECT_EQ(UploadedFile(upload.request), "<statemachine>\n</statemachine>\n");
    EXPECT_EQ(ScanRequest(lf.substr(0, lf.size() - 2)).state, RequestState::Incomplete);
}

TEST(UploadedFile, ComesOutOfBothBodyForms)
{
    const struct {
        std::string request;
        std::string file;
    } cases[] = {
        {ProgramUpload("<statemachine>\n</statemachine>\n"), "<statemachine>\n</statemachine>\n"},
        {ProgramUpload(""), ""},
        {ProgramUpload(std::string(9000, 'x')), std::string(9000, 'x')},
        {CurlUpload("<statemachine>\r\n</statemachine>\r\n"), "<statemachine>\r\n</statemachine>\r\n"},
        {CurlUpload(""), ""},
    };
    for (const auto& c : cases) {
        const RequestScan scan = ScanRequest(c.request);
        ASSERT_EQ(scan.state, RequestState::Complete) << c.request;
        const std::optional<std::string> file = UploadedFile(scan.request);
        ASSERT_TRUE(file.has_value()) << c.request;
        EXPECT_EQ(*file, c.file) << c.request;
    }
    EXPECT_FALSE(UploadedFile(ScanRequest("POST /x HTTP/1.0\r\n\r\n").request).has_value());
}

TEST(HasCredentials, AcceptsOnlyAdminWithThePassword)
{
    const struct {
        std::u16string sent;
        std::string expected;
        bool accepted;
    } cases[] = {
        {u"tovel", "tovel", true},       {u"", "", true},           {u"tovel", "", false},
        {u"", "tovel", false},           {u"tove", "tovel", false}, {u"tovel1", "tovel", false},
        {u"secretpw", "secretpw", true},
    };
    for (const auto& c : cases) {
        const RequestScan scan = ScanRequest(ProgramUpload("x", c.sent));
        EXPECT_EQ(HasCredentials(scan.request, c.expected), c.accepted)
            << std::string(c.sent.begin(), c.sent.end()) << " against " << c.expected;
    }
    EXPECT_FALSE(HasCredentials(ScanRequest("GET / HTTP/1.0\r\n\r\n").request, ""));
    EXPECT_FALSE(HasCredentials(ScanRequest("GET / HTTP/1.0\r\nAuthorization: Digest abc\r\n\r\n").request, "tovel"));
    EXPECT_TRUE(HasCredentials(ScanRequest("GET / HTTP/1.0\r\nauthorization: basic YWRtaW46dG92ZWw=\r\n\r\n").request,
                               "tovel"));
}

TEST(RequestScanner, GivesWhatAWholeScanGivesWhenFedAByteAtATime)
{
    const std::string chunked = ChunkedUpload("4\r\n--Xy\r\n3;ext=1\r\nZ\r\n\r\n0\r\nTrailer: t\r\n\r\n");
    for (const std::string& whole : {ProgramUpload("<statemachine/>\n"), CurlUpload("<statemachine/>\r\n"),
                                     std::string("GET /state.json HTTP/1.1\r\nHost: localhost\r\n\r\n"), chunked}) {
        RequestScanner scanner;
        RequestScan scan;
        std::size_t n = 0;
        while (n < whole.size() &&
               (scan = scanner.Scan(std::string_view(whole).substr(0, ++n))).state == RequestState::Incomplete) {
        }
        // Whole at the same byte as a scan of everything so far says.
        EXPECT_EQ(scan.state, RequestState::Complete) << whole;
        EXPECT_EQ(ScanRequest(std::string_view(whole).substr(0, n - 1)).state, RequestState::Incomplete) << n;
        const RequestScan expected = ScanRequest(std::string_view(whole).substr(0, n));
        ASSERT_EQ(expected.state, RequestState::Complete) << n;
        EXPECT_EQ(scan.request.target, expected.request.target);
        EXPECT_EQ(scan.request.headerLines, expected.request.headerLines);
        EXPECT_EQ(scan.request.body, expected.request.body);
    }
}

TEST(RequestScanner, ATricklingRequestCostsTimeInProportionToItsLength)
{
    // Half a megabyte of upload that arrives a byte at a time: scanned from
    // the start at each byte it would take hours.
    const std::string whole = ProgramUpload(std::string(512 * 1024, 'x'));
    const auto started = std::chrono::steady_clock::now();
    RequestScanner scanner;
    RequestState state = RequestState::Incomplete;
    for (std::size_t n = 1; n <= whole.size() && state == RequestState::Incomplete; ++n)
        state = scanner.Scan(std::string_view(whole).substr(0, n)).state;
    EXPECT_EQ(state, RequestState::Complete);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST(HostAllowed, OnlyThisServersOwnNamesAndNoHostAtAll)
{
    const struct {
        const char* host;  // nullptr: no Host header
        bool allowed;
    } cases[] = {
        {nullptr, true},
        {"127.0.0.1", true},
        {"127.0.0.1:8080", true},
        {"127.1.2.3:80", true},
        {"localhost", true},
        {"LOCALHOST:8080", true},
        {"[::1]:8080", true},
        {"10.0.4.17:8080", true},
        {"evil.example", false},
        {"evil.example:8080", false},
        {"127.0.0.1.evil.example", false},
        {"128.0.0.1", false},
        {"[::2]:80", false},
        {"127.0.0.1 x", false},
        {"", false},
    };
    for (const auto& c : cases) {
        const std::string head = "GET /state.json HTTP/1.1\r\n" +
                                 (c.host == nullptr ? std::string() : "Host: " + std::string(c.host) + "\r\n") + "\r\n";
        const RequestScan scan = ScanRequest(head);
        ASSERT_EQ(scan.state, RequestState::Complete);
        EXPECT_EQ(HostAllowed(scan.request, "10.0.4.17"), c.allowed) << (c.host ? c.host : "(none)");
    }
    EXPECT_TRUE(IsKnownVersion("HTTP/1.0"));
    EXPECT_TRUE(IsKnownVersion("HTTP/1.1"));
    EXPECT_FALSE(IsKnownVersion("HTTP/2.0"));
    EXPECT_FALSE(IsKnownVersion("HTTP/1.10"));
}

}  // namespace
}  // namespace quarn::sim
