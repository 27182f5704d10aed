#include "base/utf8.hpp"
#include "converter/result_code.hpp"
#include "converter/stylesheet_path.hpp"
#include "converter/transform.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace quarn {
namespace {

TEST(ResultCodeTest, DescriptionsOfTheCodesAndTheFallbackTexts)
{
    struct Row {
        std::uint32_t code;
        const char* text;
    };
    const Row rows[] = {
        {0x80004005u, "Unspecified error"},        {0x80070003u, "The system cannot find the path specified."},
        {0x80070005u, "Access is denied."},        {0x80040201u, "IDispatch error #1"},
        {0x80040205u, "IDispatch error #5"},       {0x8004FFFFu, "IDispatch error #65023"},
        {0x80040200u, "Unknown error 0x80040200"}, {0x80050000u, "Unknown error 0x80050000"},
        {0x00001234u, "Unknown error 0x1234"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(EncodeUtf8(DescribeResultCode(row.code)), row.text) << std::hex << row.code;
    }
}

TEST(ResultCodeTest, FailureTextShowsTheDescriptionAndTheCodeInLowerCaseHex)
{
    EXPECT_EQ(EncodeUtf8(FailureText(0x80004005u)), "Some error occured Unspecified error (80004005)");
    EXPECT_EQ(EncodeUtf8(FailureText(0x8007000Eu)),
              "Some error occured Not enough memory resources are available to complete this operation. (8007000e)");
}

TEST(ResultCodeTest, FileErrorsBecomeTheSystemCodes)
{
    EXPECT_EQ(CodeFromErrno(ENOENT), kCodePathNotFound);
    EXPECT_EQ(CodeFromErrno(ENOTDIR), kCodePathNotFound);
    EXPECT_EQ(CodeFromErrno(EACCES), kCodeAccessDenied);
    EXPECT_EQ(CodeFromErrno(EROFS), kCodeAccessDenied);
    EXPECT_EQ(CodeFromErrno(EISDIR), kCodeAccessDenied);
    EXPECT_EQ(CodeFromErrno(ENOSPC), kCodeDiskFull);
    EXPECT_EQ(CodeFromErrno(EIO), kCodeGeneralFailure);
}

TEST(StylesheetPathTest, FolderOfTheExecutableFollowedByTheFileName)
{
    EXPECT_EQ(StylesheetPathBeside(u"/opt/quarn/bin/morvex"), u"/opt/quarn/bin/morvex.xsl");
    EXPECT_EQ(StylesheetPathBeside(u"X:\\Tools\\morvex.exe"), u"X:\\Tools/morvex.xsl");
    EXPECT_EQ(StylesheetPathBeside(u"/morvex"), u"/morvex.xsl");
    EXPECT_EQ(StylesheetPathBeside(u"morvex"), u"/morvex.xsl");
}

TEST(StylesheetPathTest, ExecutablePathIsThisTestProgram)
{
    const std::string path = EncodeUtf8(ExecutablePath());
    EXPECT_NE(path.find("converter_tests"), std::string::npos) << path;
}

TEST(TransformTextTest, DestinationAppendsXmlAndOutcomeTexts)
{
    EXPECT_EQ(DeriveDestination(u"X:\\m\\model.xmi"), u"X:\\m\\model.xmi.xml");
    EXPECT_EQ(DeriveDestination(u""), u".xml");

    TransformOutcome outcome;
    EXPECT_EQ(TransformOutcomeText(outcome), u"");
    outcome.status = TransformStatus::Success;
    EXPECT_EQ(TransformOutcomeText(outcome), u"File transformed successfully");
    outcome.status = TransformStatus::Failure;
    outcome.code = 0x80070005u;
    EXPECT_EQ(TransformOutcomeText(outcome), u"Some error occured Access is denied. (80070005)");
}

}  // namespace
}  // namespace quarn
