#include "platform/FormBody.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/FormParameter.h"

namespace sealwing::platform {
namespace {

TEST(FormParameterTest, OnlyWhatWouldEndTheQuotesOrTheHeaderLineIsEncoded) {
    const struct {
        std::string value;
        std::string quoted;
    } cases[] = {
        {"report.txt", "report.txt"},
        {"say \"hi\".txt", "say %22hi%22.txt"},
        {"two\r\nlines", "two%0D%0Alines"},
        {std::string("nul\0inside", 10), "nul%00inside"},
        {"100% sure; a=b \\ \xC3\xA4", "100% sure; a=b \\ \xC3\xA4"},  // everything else goes as it is
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(QuotedFormParameter(c.value), c.quoted) << c.value;
}

TEST(FormBodyTest, FieldsAndFilesGoInOrderEachWithItsDispositionAndAFilesOneHeaderLine) {
    const std::vector<HttpFormPart> parts{
        {.name = "subject", .bytes = "Budget"},
        {.name = "0",
         .bytes = "PK\x03\x04",
         .isFile = true,
         .fileName = "say \"hi\".xlsx",
         .contentHeader = "Content-Type: application/octet-stream"},
    };
    const std::string boundary = FormBoundary(parts);
    EXPECT_EQ(FormBody(parts, boundary), "--" + boundary +
                                             "\r\nContent-Disposition: form-data; name=\"subject\"\r\n\r\nBudget\r\n"
                                             "--" +
                                             boundary +
                                             "\r\nContent-Disposition: form-data; name=\"0\"; "
                                             "filename=\"say %22hi%22.xlsx\"\r\n"
                                             "Content-Type: application/octet-stream\r\n\r\nPK\x03\x04\r\n"
                                             "--" +
                                             boundary + "--\r\n");
}

}  // namespace
}  // namespace sealwing::platform
