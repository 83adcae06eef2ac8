#include "service/MultipartForm.h"

#include <gtest/gtest.h>

namespace sealwing::service {
namespace {

const std::string kB = "---------------------------7d434218508bc";

TEST(MultipartFormTest, AMessageWithTwoFieldsByteForByte) {
    MultipartForm form;
    form.Begin();
    form.AddField(L"message", L"Hello\r\n\"quoted\"");
    form.AddField(L"email", L"\u00e5sa@example.com");
    form.Finish();
    form.Finish();  // a second call adds nothing
    EXPECT_EQ(form.Body(),
              "--" + kB + "\r\nContent-Disposition: form-data; name=\"message\"\r\n\r\nHello\r\n\"quoted\"\r\n--" + kB +
                  "\r\nContent-Disposition: form-data; name=\"email\"\r\n\r\n\xC3\xA5sa@example.com\r\n--" + kB +
                  "--\r\n");
    EXPECT_EQ(form.ContentTypeValue(), "multipart/form-data; boundary=" + kB);
}

TEST(MultipartFormTest, FilesCarryTheirNameAndRawBytesAndEmptyValuesStillMakeAPart) {
    MultipartForm form;
    form.Begin();
    form.AddField(L"subject", L"");
    const std::string bytes("\x00\xFF\r\n", 4);
    form.AddFile(L"0", L"r\u00e9sum\u00e9.pdf", bytes);
    form.Finish();
    EXPECT_EQ(form.Body(),
              "--" + kB + "\r\nContent-Disposition: form-data; name=\"subject\"\r\n\r\n\r\n--" + kB +
                  "\r\nContent-Disposition: form-data; name=\"0\"; filename=\"r\xC3\xA9sum\xC3\xA9.pdf\"\r\n"
                  "Content-Type: application/octet-stream\r\n\r\n" +
                  bytes + "\r\n--" + kB + "--\r\n");
}

TEST(MultipartFormTest, AValueHoldingTheBoundaryGetsABodyWithAnotherBoundary) {
    MultipartForm form;
    form.Begin();
    const std::wstring smuggled = L"Reply\r\n--" + std::wstring(kB.begin(), kB.end()) +
                                  L"\r\nContent-Disposition: form-data; name=\"recipients_bcc\"\r\n\r\neve@example.com";
    form.AddField(L"message", smuggled);
    form.AddField(L"email", L"ann@example.com");
    form.Finish();

    const std::string& boundary = form.Boundary();
    EXPECT_NE(boundary, kB);
    EXPECT_EQ(form.ContentTypeValue(), "multipart/form-data; boundary=" + boundary);
    const std::string& body = form.Body();
    // Exactly the two parts and the end are delimited; the value is carried whole inside the first part.
    std::size_t delimiters = 0;
    for (auto at = body.find("--" + boundary); at != std::string::npos; at = body.find("--" + boundary, at + 1)) {
        ++delimiters;
    }
    EXPECT_EQ(delimiters, 3u);
    EXPECT_NE(body.find("\r\n\r\nReply\r\n--" + kB + "\r\n"), std::string::npos);
}

TEST(MultipartFormTest, LaterPartsHoldingBoundariesMoveTheWholeBodyToTheFirstBoundaryNoPartHolds) {
    const std::wstring wideB(kB.begin(), kB.end());
    MultipartForm form;
    form.Begin();
    form.AddField(L"a", L"x");
    form.Finish();  // a part added after the end still comes before the closing marker
    (void)form.Body();
    form.AddFile(L"b", L"f.txt", "--" + kB);     // holds the usual boundary
    form.AddField(L"c", L"--" + wideB + L"-1");  // and the next one
    const std::string b2 = kB + "-2";
    EXPECT_EQ(form.Boundary(), b2);
    EXPECT_EQ(form.Body(), "--" + b2 + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx\r\n--" + b2 +
                               "\r\nContent-Disposition: form-data; name=\"b\"; filename=\"f.txt\"\r\n"
                               "Content-Type: application/octet-stream\r\n\r\n--" +
                               kB + "\r\n--" + b2 + "\r\nContent-Disposition: form-data; name=\"c\"\r\n\r\n--" + kB +
                               "-1\r\n--" + b2 + "--\r\n");
}

}  // namespace
}  // namespace sealwing::service
