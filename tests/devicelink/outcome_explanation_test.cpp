#include "devicelink/outcome_explanation.hpp"

#include "devicelink/socket_layer.hpp"
#include "devicelink/upload.hpp"

#include <gtest/gtest.h>

#include <string>

namespace quarn {
namespace {

std::string Narrow(std::u16string_view text)
{
    return {text.begin(), text.end()};
}

TEST(OutcomeExplanation, ExplainsBareNumbersAndLeavesWordsAlone)
{
    struct Case {
        std::int32_t code;
        std::u16string text;
        std::u16string explanation;
    };
    const Case cases[] = {
        {0, u"Error: 0", u"The controller closed the connection without an answer it could read."},
        {net::kConnectionRefused, u"Cannot connect: " + std::u16string(u"111"),
         u"Connection refused: nothing answers on port 80 at that address."},
        {net::kTimedOut, u"Cannot connect: 110",
         u"No answer from that address in time: is the controller switched on and on this network?"},
        {net::kInvalidArgument, u"Cannot connect: 22",
         u"The address is neither a dotted IPv4 address nor a host name that can be found."},
        {4242, u"Cannot connect: 4242", u"The connection failed with system error 4242."},
        {404, u"Error: 404", u"The controller has no upload page: is that address a QUARN controller?"},
        {503, u"Error: 503", u"The controller reported a failure of its own (HTTP status 503)."},
        {302, u"Error: 302", u"The controller answered with HTTP status 302 instead of accepting the file."},
        {kUploadFileNotOpened, u"", u"The file could not be opened, so nothing was sent."},
        {200, u"", u"The controller took the request but sent no message back."},
        // Texts that say what happened already.
        {401, u"Error: 401: Authorization required", u""},
        {200, u"State machine stored", u""},
        {200, u"page response unknown", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow(ExplainUploadOutcome(c.code, c.text, 80)), Narrow(c.explanation)) << Narrow(c.text);
}

TEST(OutcomeExplanation, NamesThePortTheExchangeUsed)
{
    EXPECT_EQ(Narrow(ExplainConnectError(net::kConnectionRefused, 8080)),
              "Connection refused: nothing answers on port 8080 at that address.");
}

}  // namespace
}  // namespace quarn
