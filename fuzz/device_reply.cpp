// Reply handling over arbitrary bytes split into arbitrary chunks: the
// receive loop joins the chunks, then the status line, the status element and
// the relay mask are read from the reply.
//
// Input: one byte n (taken modulo 16), then n chunk sizes of one byte each
// (a size of 0 stands for 4095, the largest chunk), then the reply bytes. The
// sizes are used in turn, over and over, until the reply is delivered.

#include "devicelink/device_exchange.hpp"
#include "devicelink/direct_control.hpp"
#include "devicelink/narrow_text.hpp"
#include "devicelink/upload.hpp"
#include "fuzz/fuzz_check.hpp"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quarn;

bool IsWide(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t splits = data[0] % 16;
    if (size < 1 + splits)
        return 0;
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0; i < splits; ++i)
        sizes.push_back(data[1 + i] == 0 ? 4095 : data[1 + i]);
    if (sizes.empty())
        sizes.push_back(4095);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1 + splits), size - 1 - splits);

    std::size_t offset = 0;
    std::size_t next = 0;
    int pauses = 0;
    ExchangeHooks hooks;
    hooks.pause = [&](std::chrono::milliseconds) { ++pauses; };
    const std::u16string reply = ReceiveReply(
        [&](char* buffer, std::size_t room) {
            FUZZ_CHECK(room == 4095);
            if (offset == bytes.size())
                return net::ReceiveResult{net::ReceiveStatus::Closed, 0, 0};
            const std::size_t count = std::min({sizes[next++ % sizes.size()], room, bytes.size() - offset});
            std::memcpy(buffer, bytes.data() + offset, count);
            offset += count;
            return net::ReceiveResult{net::ReceiveStatus::Data, count, 0};
        },
        hooks);
    FUZZ_CHECK(offset == bytes.size());
    FUZZ_CHECK(pauses == (bytes.empty() ? kReceiveAttempts : 0));
    // Without zero bytes, and in an encoding of one byte per character, the
    // split cannot change the reply.
    if (bytes.find('\0') == std::string_view::npos && ToNarrow(u"\u00e9").size() == 1)
        FUZZ_CHECK(reply == ToWide(bytes));
    FUZZ_CHECK(reply.find(u'\0') == std::u16string::npos);

    const std::int32_t code = ParseStatusLine(reply);
    if (!reply.starts_with(u"HTTP/1."))
        FUZZ_CHECK(code == 0);
    const std::u16string outcome = StatusText(code);
    FUZZ_CHECK(code == 200 ? outcome.empty() : !outcome.empty());

    const std::u16string message = StatusElementText(reply);
    if (reply.find(u"name=\"status\"") == std::u16string::npos)
        FUZZ_CHECK(message.empty());
    if (!message.empty())
        FUZZ_CHECK(!IsWide(message.front()) && !IsWide(message.back()));

    const auto mask = ParseRelayMask(reply);
    if (reply.find(u"id=\"R\">") == std::u16string::npos)
        FUZZ_CHECK(!mask.has_value());
    if (mask.has_value()) {
        for (int relay = 0; relay < kRelayCount; ++relay)
            (void)RelayOn(*mask, relay);
    }
    return 0;
}
