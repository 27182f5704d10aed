#include "base/utf8.hpp"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define QUARN_UTF8_SSE2 1
#else
#define QUARN_UTF8_SSE2 0
#endif

namespace quarn {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

// A multi-byte sequence as read from its lead byte: the code point, how many
// bytes it takes (the lead and the continuation bytes that follow it, up to
// the length the lead announces) and whether they are a well-formed
// character. A malformed sequence is replaced as one character.
struct Sequence {
    char32_t code;
    std::ptrdiff_t taken;
    bool bad;
};

inline Sequence ReadSequence(const unsigned char* p, const unsigned char* end)
{
    const std::uint8_t lead = *p;
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    }
    int taken = 1;
    while (length != 0 && taken < length && p + taken < end) {
        const std::uint8_t next = p[taken];
        if ((next & 0xC0) != 0x80)
            break;
        c = (c << 6) | (next & 0x3F);
        ++taken;
    }
    const bool bad = length == 0 || taken < length || c < minimum || c > 0x10FFFF || IsSurrogate(c);
    return {c, taken, bad};
}

}  // namespace

std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t pos, std::uint32_t& code)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const Sequence sequence = ReadSequence(p + pos, p + bytes.size());
    if (sequence.bad)
        return 0;
    code = sequence.code;
    return static_cast<std::size_t>(sequence.taken);
}

std::string EncodeUtf8(std::u16string_view text)
{
    // The leading ASCII run, usually the whole text, is copied unit by unit;
    // the rest goes through the general loop.
    std::string out(text.size(), '\0');
    std::size_t i = 0;
    char* o = out.data();
    for (; i + 4 <= text.size(); i += 4) {
        std::uint64_t units;
        std::memcpy(&units, text.data() + i, sizeof units);
        if ((units & 0xFF80FF80FF80FF80ull) != 0)
            break;
        for (std::size_t k = 0; k < 4; ++k)
            o[i + k] = static_cast<char>(text[i + k]);
    }
    for (; i < text.size() && text[i] < 0x80; ++i)
        o[i] = static_cast<char>(text[i]);
    if (i == text.size())
        return out;
    out.resize(i);
    out.reserve(text.size() + (text.size() - i) / 2);
    for (; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = CombineSurrogates(c, text[i + 1]);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            c = kReplacementCharacter;
        }
        AppendUtf8(out, c);
    }
    return out;
}

namespace {

#if !QUARN_UTF8_SSE2
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kLowBits = 0x0101010101010101ull;

// Whether any of the eight bytes of word equals byte.
bool HasByte(std::uint64_t word, unsigned char byte)
{
    const std::uint64_t x = word ^ (kLowBits * byte);
    return ((x - kLowBits) & ~x & kHighBits) != 0;
}
#endif

#if QUARN_UTF8_SSE2
// Widens the 16 bytes at p into 16 units at o and returns how many of them
// are plain ASCII that needs nothing else: all 16, or the count before the
// first byte that is not ASCII or (with FoldCrLf) is a CR. The units past that
// count are scratch for the caller to overwrite.
template <bool FoldCrLf>
unsigned WidenAsciiRun(const unsigned char* p, char16_t* o)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(bytes, zero));
    unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(bytes));
    if (FoldCrLf)
        stop |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
    return stop == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(stop));
}
#endif

// Decodes from p towards end into o, stopping before a sequence whose units
// would not fit before out_end. With FoldCrLf a CR directly followed by LF
// (looked for up to end) is dropped. Returns where decoding stopped; o is
// moved past the units written. Runs of ASCII, the bulk of every file, go
// sixteen bytes at a time with SSE2 (part of every x86-64 processor) and
// eight at a time elsewhere; the byte that ends a run (a CR, or the lead of a
// multi-byte sequence) takes the general step.
template <bool FoldCrLf>
const unsigned char* DecodeInto(const unsigned char* p, const unsigned char* const end, char16_t*& o,
                                char16_t* const out_end)
{
    while (p < end) {
#if QUARN_UTF8_SSE2
        if (end - p >= 16 && out_end - o >= 16) {
            const unsigned run = WidenAsciiRun<FoldCrLf>(p, o);
            p += run;
            o += run;
            if (run == 16)
                continue;
            // The CR of a CR LF, which ends most runs, is dropped here.
            if (FoldCrLf && *p == '\r' && p + 1 < end && p[1] == '\n') {
                ++p;
                continue;
            }
        }
#else
        if (end - p >= 8 && out_end - o >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if ((word & kHighBits) == 0) {
                if (!FoldCrLf || !HasByte(word, '\r')) {
                    for (int k = 0; k < 8; ++k)
                        o[k] = p[k];
                    p += 8;
                    o += 8;
                    continue;
                }
                for (const auto* stop = p + 8; p < stop; ++p) {
                    if (*p == '\r' && p + 1 < end && p[1] == '\n')
                        continue;
                    *o++ = *p;
                }
                continue;
            }
        }
#endif
        const std::uint8_t lead = *p;
        if (lead < 0x80) {
            if (FoldCrLf && lead == '\r' && p + 1 < end && p[1] == '\n') {
                ++p;
                continue;
            }
            if (o == out_end)
                break;
            *o++ = lead;
            ++p;
            continue;
        }
        const Sequence sequence = ReadSequence(p, end);
        const bool bad = sequence.bad;
        char32_t c = sequence.code;
        const std::ptrdiff_t taken = sequence.taken;
        const std::ptrdiff_t units = !bad && c >= 0x10000 ? 2 : 1;
        if (out_end - o < units)
            break;
        if (bad) {
            *o++ = static_cast<char16_t>(kReplacementCharacter);
        } else if (c < 0x10000) {
            *o++ = static_cast<char16_t>(c);
        } else {
            c -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        p += taken;
    }
    return p;
}

// A sequence never gives more units than it has bytes, so room for
// bytes.size() units always holds the whole text.
template <bool FoldCrLf>
std::u16string Decode(std::string_view bytes)
{
    std::u16string out(bytes.size(), u'\0');
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    char16_t* o = out.data();
    DecodeInto<FoldCrLf>(p, p + bytes.size(), o, o + out.size());
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

}  // namespace

std::u16string DecodeUtf8(std::string_view bytes)
{
    return Decode<false>(bytes);
}

std::u16string DecodeUtf8Text(std::string_view bytes)
{
    return Decode<true>(bytes);
}

std::size_t DecodeUtf8TextPiece(std::string_view& bytes, char16_t* out, std::size_t room)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    char16_t* o = out;
    const auto* stop = DecodeInto<true>(p, p + bytes.size(), o, out + room);
    bytes.remove_prefix(static_cast<std::size_t>(stop - p));
    return static_cast<std::size_t>(o - out);
}

std::u16string DecodeUtf16Le(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size() / 2 + 1);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        out +=
            static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) | (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
    }
    if (i < bytes.size())
        out += static_cast<char16_t>(kReplacementCharacter);
    return out;
}

}  // namespace quarn
