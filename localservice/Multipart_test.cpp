#include "localservice/Multipart.h"

#include <gtest/gtest.h>

namespace sealwing::localservice {
namespace {

TEST(Multipart, BoundaryIsReadQuotedOrNot) {
    EXPECT_EQ(MultipartBoundary("multipart/form-data; boundary=abc"), "abc");
    EXPECT_EQ(MultipartBoundary("Multipart/Form-Data; charset=x; boundary=\"a b;c\""), "a b;c");
    EXPECT_FALSE(MultipartBoundary("text/plain; boundary=abc"));
    EXPECT_FALSE(MultipartBoundary("multipart/form-data"));
}

// libcurl's form: a file part with its own header line and a Content-Type; a value holding CR LF and quotes.
TEST(Multipart, PartsKeepOrderNamesFileNamesAndBytes) {
    std::string body =
        "--XyZ\r\n"
        "Content-Disposition: form-data; name=\"message\"\r\n\r\n"
        "line \"one\"\r\nline two\r\n"
        "--XyZ\r\n"
        "Content-Disposition: form-data; name=\"empty\"\r\n\r\n"
        "\r\n"
        "--XyZ\r\n"
        "Content-Disposition: form-data; name=\"0\"; filename=\"r\xC3\xA9sum\xC3\xA9.pdf\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n"
        "%PDF\r\n--Xy\r\n"
        "--XyZ--\r\n";
    auto parts = ParseMultipart(body, "XyZ");
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 3u);
    EXPECT_EQ((*parts)[0].name, "message");
    EXPECT_EQ((*parts)[0].content, "line \"one\"\r\nline two");
    EXPECT_FALSE((*parts)[0].isFile);
    EXPECT_EQ((*parts)[1].content, "");
    EXPECT_TRUE((*parts)[2].isFile);
    EXPECT_EQ((*parts)[2].fileName, "r\xC3\xA9sum\xC3\xA9.pdf");
    EXPECT_EQ((*parts)[2].contentType, "application/octet-stream");
    EXPECT_EQ((*parts)[2].content, "%PDF\r\n--Xy");
}

TEST(Multipart, BrokenBodiesAreRefused) {
    for (const char* body : {"", "--other\r\n", "--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nvalue",
                             "--XyZ\r\nno colon here\r\n\r\nx\r\n--XyZ--\r\n", "--XyZ junk"}) {
        EXPECT_FALSE(ParseMultipart(body, "XyZ")) << body;
    }
}

}  // namespace
}  // namespace sealwing::localservice
