#include "devicelink/outcome_explanation.hpp"

#include "devicelink/socket_layer.hpp"

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
        UploadOutcome outcome;
        std::u16string explanation;
    };
    using enum UploadFailure;
    const Case cases[] = {
        {{Status, 0, 0, u"Error: 0"}, u"The controller closed the connection without an answer it could read."},
        {{Status, 0, 0, u"Error: 0", /*timedOut=*/true},
         u"The controller took the connection but sent no reply within the time limit."},
        {{Connect, net::kConnectionRefused, 0, u"Cannot connect: " + std::u16string(u"111")},
         u"Connection refused: nothing answers on port 80 at that address."},
        {{Connect, net::kTimedOut, 0, u"Cannot connect: 110"},
         u"No answer from that address in time: is the controller switched on and on this network?"},
        {{Connect, net::kInvalidArgument, 0, u"Cannot connect: 22"},
         u"The address is neither a dotted IPv4 address nor a host name that can be found."},
        {{Connect, 4242, 0, u"Cannot connect: 4242"}, u"The connection failed with system error 4242."},
        {{Status, 0, 404, u"Error: 404"}, u"The controller has no upload page: is that address a QUARN controller?"},
        {{Status, 0, 503, u"Error: 503"}, u"The controller reported a failure of its own (HTTP status 503)."},
        {{Status, 0, 302, u"Error: 302"},
         u"The controller answered with HTTP status 302 instead of accepting the file."},
        // The editor has shown the file's text already and shows an empty one.
        {{OpenFile, 2, 0, u""}, u"The file could not be opened, so nothing was sent."},
        {{None, 0, 200, u""}, u"The controller took the request but sent no message back."},
        // Texts that say what happened already.
        {{Status, 0, 401, u"Error: 401: Authorization required"}, u""},
        {{OpenFile, 2, 0, u"Cannot open file sm.xml for reading (2)"}, u""},
        {{None, 0, 200, u"State machine stored"}, u""},
        {{None, 0, 200, u"page response unknown"}, u""},
        // A controller's message that looks like one of the texts is its own.
        {{None, 0, 200, u"Error: 7"}, u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow(ExplainUploadOutcome(c.outcome, 80)), Narrow(c.explanation)) << Narrow(c.outcome.text);
}

TEST(OutcomeExplanation, NamesThePortTheExchangeUsed)
{
    EXPECT_EQ(Narrow(ExplainConnectError(net::kConnectionRefused, 8080)),
              "Connection refused: nothing answers on port 8080 at that address.");
}

}  // namespace
}  // namespace quarn
