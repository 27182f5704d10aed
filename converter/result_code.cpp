#include "converter/result_code.hpp"

#include "base/utf8.hpp"

#include <cerrno>
#include <cstdio>

namespace quarn {

namespace {

struct KnownCode {
    std::uint32_t code;
    const char* text;
};

// The codes the transformation can end with.
constexpr KnownCode kKnownCodes[] = {
    {kCodeGeneralFailure, "Unspecified error"},
    {kCodeFileNotFound, "The system cannot find the file specified."},
    {kCodePathNotFound, "The system cannot find the path specified."},
    {kCodeAccessDenied, "Access is denied."},
    {kCodeOutOfMemory, "Not enough memory resources are available to complete this operation."},
    {kCodeDiskFull, "There is not enough space on the disk."},
};

}  // namespace

std::uint32_t CodeFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return kCodePathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return kCodeAccessDenied;
    case ENOMEM:
        return kCodeOutOfMemory;
    case ENOSPC:
        return kCodeDiskFull;
    default:
        return kCodeGeneralFailure;
    }
}

std::u16string DescribeResultCode(std::uint32_t code)
{
    for (const KnownCode& known : kKnownCodes) {
        if (known.code == code) {
            return DecodeUtf8(known.text);
        }
    }
    char buffer[32];
    if (code >= 0x80040201u && code <= 0x8004FFFFu) {
        std::snprintf(buffer, sizeof buffer, "IDispatch error #%d", static_cast<int>(code - 0x80040200u));
    } else {
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
    }
    return DecodeUtf8(buffer);
}

std::u16string FailureText(std::uint32_t code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(code));
    return u"Some error occured " + DescribeResultCode(code) + u" (" + DecodeUtf8(hex) + u")";
}

}  // namespace quarn
