#include "devicelink/base64.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quarn {
namespace {

std::string Encoded(const std::string& bytes)
{
    CBase64 codec;
    codec.Encode(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    EXPECT_EQ(std::strlen(codec.GetText()), codec.TextLength());
    return std::string(codec.GetText(), codec.TextLength());
}

// The decoded bytes including the zero bytes that padding leaves.
std::string Decoded(const std::string& text)
{
    CBase64 codec;
    codec.Decode(text.data(), static_cast<std::uint32_t>(text.size()));
    return std::string(reinterpret_cast<const char*>(codec.GetBytes()), codec.ByteLength());
}

struct KnownAnswer {
    const char* bytes;
    const char* text;
};

TEST(Base64, EncodesTheStandardKnownAnswers)
{
    const KnownAnswer cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"admin:tovel", "YWRtaW46dG92ZWw="},
        {"admin:", "YWRtaW46"},
    };
    for (const KnownAnswer& c : cases)
        EXPECT_EQ(Encoded(c.bytes), c.text) << "input: \"" << c.bytes << '"';
}

TEST(Base64, EncodesEveryByteValueAndLongInputOnOneLine)
{
    EXPECT_EQ(Encoded(std::string("\x00\xff\xfe", 3)), "AP/+");
    for (std::size_t n : {57u, 4096u, 10000u}) {
        const std::string text = Encoded(std::string(n, 'x'));
        EXPECT_EQ(text.size(), 4 * ((n + 2) / 3)) << n;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << n;
    }
}

TEST(Base64, DecodesPaddingAndLeftoversIntoCountedZeroBytes)
{
    const KnownAnswer cases[] = {
        {"foobar", "Zm9vYmFy"},
        // A complete group ending in padding still adds three bytes.
        {"f\0\0", "Zg=="},
        {"fo\0", "Zm8="},
        // One to three characters left over add that many bytes.
        {"f\0", "Zg"},
        {"fo\0", "Zm8"},
        // White space (bytes 7 to 13 and 32) anywhere is skipped.
        {"foobar", " Zm9v\r\nYm\tFy\a"},
        // A byte with its top bit set reads like the byte without it.
        {"foo", "\xda\xed\xb9\xf6"},
    };
    const std::size_t sizes[] = {6, 3, 3, 2, 3, 6, 3};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Decoded(cases[i].text), std::string(cases[i].bytes, sizes[i])) << "text: \"" << cases[i].text << '"';
}

TEST(Base64, NullStringsLeaveTheObjectAsItWas)
{
    CBase64 codec;
    codec.EncodeString("foo");
    codec.EncodeString(nullptr);
    codec.DecodeString(nullptr);
    EXPECT_STREQ(codec.GetText(), "Zm9v");
    EXPECT_EQ(codec.ByteLength(), 3u);

    CBase64 fresh;
    fresh.Encode("", 0);
    EXPECT_STREQ(fresh.GetText(), "");
}

TEST(Base64, ReusedBuffersStayTerminatedWhenAnInputFillsThemExactly)
{
    // The first decode leaves a 4096-byte text buffer; the second loads
    // exactly 4096 characters into it, which must still leave room for the
    // terminator.
    CBase64 codec;
    codec.DecodeString("Zm9v");
    const std::string text(4096, 'A');
    codec.Decode(text.data(), static_cast<std::uint32_t>(text.size()));
    EXPECT_EQ(std::strlen(codec.GetText()), 4096u);
    EXPECT_EQ(codec.ByteLength(), 3072u);
    const std::string bytes(reinterpret_cast<const char*>(codec.GetBytes()), codec.ByteLength());
    EXPECT_EQ(bytes, std::string(3072, '\0'));

    codec.EncodeString("foo");
    EXPECT_STREQ(codec.GetText(), "Zm9v");

    // A short result after a long one ends at its own length: nothing of
    // the longer one shows after it.
    codec.DecodeString("Zm9vYmFy");
    codec.DecodeString("Zg");
    ASSERT_EQ(codec.ByteLength(), 2u);
    EXPECT_EQ(codec.GetBytes()[2], 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(codec.GetBytes()), "f");
}

}  // namespace
}  // namespace quarn
