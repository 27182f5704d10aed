// The engine reads only the two files it is given and writes only the
// result: no external entities, no DTDs, no network, no files of the
// stylesheet's own choosing.
#include "base/utf8.hpp"
#include "converter/transform.hpp"
#include "converter_test_support.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace quarn {
namespace {

using test::ConvertText;
using test::Exists;
using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

constexpr const char* kSecret = "SECRET-0815";

// Writes the whole text of the source into the result.
constexpr const char* kEchoStylesheet = R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><out><xsl:value-of select="/"/>|<xsl:value-of select="//@*"/></out></xsl:template>
</xsl:stylesheet>
)";

// A loopback listener that tells whether anybody connected.
class Listener {
public:
    Listener()
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(fd_, 4) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~Listener()
    {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    int Port() const { return port_; }
    bool SomebodyConnected() const
    {
        pollfd entry{fd_, POLLIN, 0};
        return poll(&entry, 1, 0) > 0;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

TEST(SandboxTest, ExternalEntitiesPointingAtLocalFilesAreNotRead)
{
    ScratchFolder folder;
    const std::string secret = folder.File("secret.txt");
    ASSERT_TRUE(WriteBytes(secret, kSecret));
    const std::string stylesheet = folder.File("echo.xsl");
    ASSERT_TRUE(WriteBytes(stylesheet, kEchoStylesheet));

    const std::string uri = "file://" + secret;
    const std::string sources[] = {
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m [<!ENTITY e SYSTEM \"" + uri + "\">]>\n<m>&e;</m>",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m [<!ENTITY e SYSTEM \"" + secret + "\">]>\n<m a=\"x\">&e;</m>",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m [<!ENTITY % p SYSTEM \"" + uri + "\"> %p;]>\n<m/>",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m SYSTEM \"" + uri + "\">\n<m/>",
    };
    for (const std::string& source : sources) {
        const test::Conversion result = ConvertText(source, stylesheet);
        EXPECT_EQ(result.output.find(kSecret), std::string::npos) << source << "\n" << result.output;
        EXPECT_EQ(result.AllNotes().find(kSecret), std::string::npos) << source;
    }
}

TEST(SandboxTest, NothingIsFetchedFromTheNetwork)
{
    Listener listener;
    ASSERT_NE(listener.Port(), 0);
    const std::string base = "http://127.0.0.1:" + std::to_string(listener.Port());

    ScratchFolder folder;
    const std::string stylesheet = folder.File("fetch.xsl");
    ASSERT_TRUE(WriteBytes(stylesheet, R"x(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><out><xsl:value-of select="document(')x" +
                                           base + R"x(/doc.xml')"/></out></xsl:template>
</xsl:stylesheet>)x"));

    const std::string sources[] = {
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m SYSTEM \"" + base + "/m.dtd\">\n<m/>",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m [<!ENTITY e SYSTEM \"" + base + "/e.xml\">]>\n<m>&e;</m>",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m [<!ENTITY % p SYSTEM \"" + base + "/p.dtd\"> %p;]>\n<m/>",
    };
    for (const std::string& source : sources) {
        ConvertText(source, stylesheet);
        EXPECT_FALSE(listener.SomebodyConnected()) << source;
    }
}

// Local files named by the stylesheet itself may be read; one whose DTD
// declares entities is refused like such a source.
TEST(SandboxTest, StylesheetMayReadLocalDocuments)
{
    ScratchFolder folder;
    const std::string secret = folder.File("secret.txt");
    ASSERT_TRUE(WriteBytes(secret, kSecret));
    ASSERT_TRUE(WriteBytes(folder.File("table.xml"), "<?xml version=\"1.0\"?>\n<t><row>looked up</row></t>"));
    ASSERT_TRUE(WriteBytes(folder.File("entities.xml"), "<?xml version=\"1.0\"?>\n<!DOCTYPE t [<!ENTITY e SYSTEM \"" +
                                                            secret +
                                                            "\">]>\n<t><row>declared</row><row>&e;</row></t>"));
    const std::string stylesheet = folder.File("lookup.xsl");
    ASSERT_TRUE(WriteBytes(stylesheet, R"x(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><out><xsl:value-of select="document('table.xml')/t"/>|<xsl:value-of select="document('entities.xml')/t"/></out></xsl:template>
</xsl:stylesheet>)x"));
    const test::Conversion result = ConvertText("<m/>", stylesheet);
    ASSERT_EQ(result.outcome.status, TransformStatus::Success);
    EXPECT_NE(result.output.find("<out>looked up|</out>"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find(kSecret), std::string::npos) << result.output;
}

TEST(SandboxTest, StylesheetCannotWriteFilesOrCreateFolders)
{
    ScratchFolder folder;
    const std::string planted = folder.File("planted.txt");
    const std::string plantedInFolder = folder.File("new-folder/planted.txt");
    const std::string stylesheet = folder.File("write.xsl");
    ASSERT_TRUE(WriteBytes(stylesheet, R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.1" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/">
    <out/>
    <xsl:document href=")" + planted + R"(" method="text">planted</xsl:document>
    <xsl:document href=")" + plantedInFolder +
                                           R"(" method="text">planted</xsl:document>
  </xsl:template>
</xsl:stylesheet>)"));
    const test::Conversion result = ConvertText("<m/>", stylesheet);
    EXPECT_FALSE(Exists(planted));
    EXPECT_FALSE(Exists(folder.File("new-folder")));
    EXPECT_EQ(result.outcome.status, TransformStatus::Failure);
}

}  // namespace
}  // namespace quarn
