#pragma once
// Failure codes of the transformation and their descriptive texts.

#include <cstdint>
#include <string>

namespace quarn {

// The general failure code; every failed load ends with it.
inline constexpr std::uint32_t kCodeGeneralFailure = 0x80004005;
// Codes of the save step, in the platform's form for system errors.
inline constexpr std::uint32_t kCodeFileNotFound = 0x80070002;
inline constexpr std::uint32_t kCodePathNotFound = 0x80070003;
inline constexpr std::uint32_t kCodeAccessDenied = 0x80070005;
inline constexpr std::uint32_t kCodeOutOfMemory = 0x8007000E;
inline constexpr std::uint32_t kCodeDiskFull = 0x80070070;

// The failure code for a system error number from a failed file write.
std::uint32_t CodeFromErrno(int error);

// The descriptive text of a code: the known text, or else "IDispatch error #%d"
// for 0x80040201 to 0x8004FFFF and "Unknown error 0x%0lX" for any other code.
std::u16string DescribeResultCode(std::uint32_t code);

// "Some error occured %s (%x)" for a code.
std::u16string FailureText(std::uint32_t code);

}  // namespace quarn
