#include "settings/PasswordStorage.h"

#include <algorithm>

#include "diagnostics/Log.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/SecretProtection.h"
#include "platform/Text.h"
#include "xml/XmlDocument.h"

namespace sealwing::settings {
namespace {

// What a file that has no folder fails with (ERROR_PATH_NOT_FOUND).
constexpr std::uint32_t kPathNotFound = 3;

// A platform error number in the HRESULT form the log shows for file failures.
std::uint32_t AsHResult(std::uint32_t error) { return error == 0 ? 0 : (0x80070000u | (error & 0xFFFFu)); }

void LogFailure(const wchar_t* text, std::uint32_t code) {
    diagnostics::LogWrite(std::wstring(text) + platform::HexW(code) + L"\n");
}

// The reader takes a backslash as an escape, so a backslash is written doubled to come back as itself.
std::wstring EscapeBackslashes(const std::wstring& value) { return platform::ReplaceAll(value, L"\\", L"\\\\"); }

}  // namespace

std::wstring PasswordStoragePath() {
    auto& files = platform::Files();
    const std::wstring root = files.KnownFolderPath(platform::KnownFolder::RoamingAppData);
    if (root.empty()) return {};
    const std::wstring folder = files.Join(root, L"Parcelon");
    if (!files.FolderExists(folder)) files.CreateFolder(folder);
    return files.Join(folder, L"storage.bin");
}

std::wstring CredentialsDocumentText(const CredentialList& list) {
    xml::XmlDocument document;
    xml::XmlNode& credentials = xml::AppendChild(document, L"credentials", L"");
    for (const auto& entry : list.Entries()) {
        xml::XmlNode& user = xml::AppendChild(credentials, L"user", L"");
        xml::AppendChild(user, L"username", EscapeBackslashes(entry.user));
        xml::AppendChild(user, L"password", EscapeBackslashes(entry.password));
    }
    return xml::Serialise(document);
}

void LoadPasswordStorage(CredentialList& list) {
    diagnostics::LogScope scope(L"Loading password storage");
    list.Clear();
    const std::wstring path = PasswordStoragePath();
    if (path.empty()) return LogFailure(L"Failed to open password storage. Error code ", AsHResult(kPathNotFound));
    const auto read = platform::Files().ReadFile(path);
    if (!read.opened) return LogFailure(L"Failed to open password storage. Error code ", AsHResult(read.error));
    if (!read.ok) return LogFailure(L"Failed to read password storage. Error code ", AsHResult(read.error));

    std::string plain;
    std::uint32_t error = 0;
    if (!platform::Secrets().Unprotect(read.bytes, plain, error)) {
        return LogFailure(L"Failed to decrypt password. Error code is ", error);
    }
    ReadCredentialsDocument(platform::WideFromUtf16Le(plain), list);
}

void ReadCredentialsDocument(std::wstring_view decrypted, CredentialList& list) {
    const std::wstring_view text = decrypted.substr(0, std::min(decrypted.size(), decrypted.find(L'\0')));
    if (text.empty()) return;
    xml::XmlDocument document;
    if (!document.Load(text)) return;
    const xml::XmlNode* root = xml::Root(document);
    if (root == nullptr) return;
    for (const auto& entry : root->children) {
        const xml::XmlNode* user = xml::Child(*entry, L"username");
        const xml::XmlNode* password = xml::Child(*entry, L"password");
        if (user == nullptr || password == nullptr) continue;
        list.Add(xml::ConvertBack(xml::Text(*user)), xml::ConvertBack(xml::Text(*password)));
    }
}

void SavePasswordStorage(const CredentialList& list) {
    diagnostics::LogScope scope(L"Updating password storage");
    const std::wstring path = PasswordStoragePath();
    if (path.empty()) return LogFailure(L"Failed to open password storage. Error code ", AsHResult(kPathNotFound));
    std::string plain = platform::Utf16LeFromWide(CredentialsDocumentText(list));
    plain.append(2, '\0');  // the text's terminating NUL travels with it

    std::string blob;
    std::uint32_t error = 0;
    if (!platform::Secrets().Protect(plain, blob, error)) {
        return LogFailure(L"Failed to encrypt password. Error code is ", error);
    }
    // The file is replaced as one step, so a failure at either point leaves the previous file as it was.
    const platform::WriteResult saved = platform::Files().ReplaceFile(path, blob, platform::FileAccess::OwnerOnly);
    if (!saved.ok) {
        LogFailure(saved.opened ? L"Failed to update password storage. Error code "
                                : L"Failed to open password storage. Error code ",
                   AsHResult(saved.error));
    }
}

}  // namespace sealwing::settings
