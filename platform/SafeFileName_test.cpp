#include "platform/SafeFileName.h"

#include <gtest/gtest.h>

#include <string>

namespace sealwing::platform {
namespace {

struct NameCase {
    const wchar_t* given;
    const wchar_t* safe;
};

class SafeFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(SafeFileNameTest, StaysInsideItsFolder) { EXPECT_EQ(SafeFileName(GetParam().given), GetParam().safe); }

INSTANTIATE_TEST_SUITE_P(
    Names, SafeFileNameTest,
    ::testing::Values(NameCase{L"report.pdf", L"report.pdf"},
                      NameCase{L"Résumé 2026 (final).docx", L"Résumé 2026 (final).docx"}, NameCase{L"..\\..\\x", L"x"},
                      NameCase{L"../../etc/passwd", L"passwd"}, NameCase{L"C:x", L"x"},
                      NameCase{L"C:\\Windows\\win.ini", L"win.ini"}, NameCase{L"file.txt:stream", L"stream"},
                      NameCase{L"..", L"attachment"}, NameCase{L"dir\\", L"attachment"}, NameCase{L"", L"attachment"},
                      NameCase{L"  . ", L"attachment"}, NameCase{L"CON", L"_CON"}, NameCase{L"con.txt", L"_con.txt"},
                      NameCase{L"LPT9.log", L"_LPT9.log"}, NameCase{L"COM0", L"COM0"},
                      NameCase{L"CONSOLE.txt", L"CONSOLE.txt"}, NameCase{L"a<b>c|d?e*f\"g", L"a_b_c_d_e_f_g"},
                      NameCase{L"tab\tname\x7f.txt", L"tab_name_.txt"}, NameCase{L"trailing... ", L"trailing"}));

TEST(SafeFileNameLengthTest, AnOverlongNameIsCutAndKeepsItsExtension) {
    const std::wstring safe = SafeFileName(std::wstring(300, L'a') + L".pdf");
    EXPECT_EQ(safe.size(), 128u);
    EXPECT_TRUE(safe.ends_with(L"a.pdf"));
    // A cut that ends in dots or blanks does not keep them: Windows would drop them from the file's name.
    EXPECT_EQ(SafeFileName(std::wstring(126, L'a') + L" ..." + std::wstring(100, L'b')), std::wstring(126, L'a'));
}

}  // namespace
}  // namespace sealwing::platform
