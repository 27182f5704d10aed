#include "simulator/http_request.hpp"

#include <gtest/gtest.h>

#include <string>

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
    const std::string body =
        "--------------------------abc123\r\n"
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
           extraHeaders +
           "Content-Length: " + std::to_string(body.size()) +
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
        {u"tovel", "tovel", true},  {u"", "", true},         {u"tovel", "", false},
        {u"", "tovel", false},      {u"tove", "tovel", false}, {u"tovel1", "tovel", false},
        {u"secretpw", "secretpw", true},
    };
    for (const auto& c : cases) {
        const RequestScan scan = ScanRequest(ProgramUpload("x", c.sent));
        EXPECT_EQ(HasCredentials(scan.request, c.expected), c.accepted)
            << std::string(c.sent.begin(), c.sent.end()) << " against " << c.expected;
    }
    EXPECT_FALSE(HasCredentials(ScanRequest("GET / HTTP/1.0\r\n\r\n").request, ""));
    EXPECT_FALSE(
        HasCredentials(ScanRequest("GET / HTTP/1.0\r\nAuthorization: Digest abc\r\n\r\n").request, "tovel"));
    EXPECT_TRUE(
        HasCredentials(ScanRequest("GET / HTTP/1.0\r\nauthorization: basic YWRtaW46dG92ZWw=\r\n\r\n").request, "tovel"));
}

}  // namespace
}  // namespace quarn::sim
