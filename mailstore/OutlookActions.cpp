#include "mailstore/OutlookActions.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "addin/outlook/Mapi.h"
#include "addin/outlook/OutlookVersion.h"
#include "diagnostics/Log.h"
#include "mailstore/OutlookAccounts.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "settings/SettingsStore.h"

namespace sealwing::mailstore {
namespace {

namespace mapi = outlook::mapi;

constexpr const char* kSourceFile = "OutlookActions.cpp";

// Writes the failure to the log and tells the user once; the message stays where it is.
void FailDeletion(const wchar_t* logLine) {
    diagnostics::LogWrite(logLine);
    platform::TheUserInterface().ShowMessageBox(
        {.text = L"There was an error while attempting to delete your secure message from drafts folder.\n"
                 L"Please contact support",
         .caption = L"Parcelon for Microsoft Outlook",
         .icon = platform::MessageBoxIcon::Error,
         .taskModal = true});
}

std::optional<mapi::Binary> ReadBinary(mapi::Prop& object, mapi::PropTag tag) {
    mapi::PropValue value;
    if (mapi::HrGetOneProp(object, tag, value) != outlook::hr::S_Ok) return std::nullopt;
    if (const auto* bytes = std::get_if<mapi::Binary>(&value.data)) return *bytes;
    return std::nullopt;
}

bool StartsALine(std::wstring_view text, std::size_t at) {
    return at == 0 || text[at - 1] == L'\n' || text[at - 1] == L'\r';
}

}  // namespace

std::wstring GetMapiProfileName(const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    const outlook::Ref<outlook::NameSpace> session = application->Session();
    if (outlook::MajorVersionOf(*application) >= 12) return session->CurrentProfileName();

    outlook::Ref<mapi::Session> mapiSession;
    try {
        mapiSession = session->MAPIOBJECT();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComError(kSourceFile, 21, error.Code());
        return {};
    }
    if (mapiSession == nullptr) {
        diagnostics::LogWrite(L"Failed to retrieve IMAPISession from pUnk\n");
        return {};
    }
    outlook::Ref<mapi::ProfileSection> section;
    if (const outlook::HResult opened = mapiSession->OpenProfileSection(mapi::pbGlobalProfileSectionGuid, section);
        outlook::Failed(opened) || section == nullptr) {
        diagnostics::LogComError(kSourceFile, 36, section == nullptr && !outlook::Failed(opened) ? outlook::hr::E_Fail
                                                                                                 : opened);
        return {};
    }
    mapi::PropValue value;
    if (const outlook::HResult read = mapi::HrGetOneProp(*section, mapi::PR_PROFILE_NAME_W, value); read != 0) {
        diagnostics::LogComError(kSourceFile, 44, read);
        return {};
    }
    const auto* name = std::get_if<std::wstring>(&value.data);
    return name != nullptr ? *name : std::wstring{};
}

void DeleteMessagePermanently(const outlook::Ref<outlook::MailItem>& mail) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"[MAPI] Deleting message permanently", kSourceFile, 267);
    const outlook::Ref<mapi::Message> message = mail->MAPIOBJECT();
    const outlook::Ref<mapi::Session> session = mail->Application()->Session()->MAPIOBJECT();
    mail->Save();  // a draft that was never saved has no entry ids yet

    const std::optional<mapi::Binary> parentId =
        message ? ReadBinary(*message, mapi::PR_PARENT_ENTRYID) : std::nullopt;
    if (!parentId) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to inability to retrieve "
                            L"PR_PARENT_ENTRYID property.\n");
    }
    const std::optional<mapi::Binary> storeId = ReadBinary(*message, mapi::PR_STORE_ENTRYID);
    if (!storeId) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to inability to retrieve "
                            L"PR_STORE_ENTRYID property.\n");
    }
    mail->Close(outlook::olSave);

    outlook::Ref<mapi::MsgStore> store;
    if (session == nullptr || session->OpenMsgStore(*storeId, store) != outlook::hr::S_Ok || store == nullptr) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to OpenMsgStore failure.\n");
    }
    outlook::Ref<mapi::Prop> opened;
    const outlook::HResult openResult = store->OpenEntry(*parentId, opened);
    // An entry that opens but is no folder cannot take the deletion either.
    const auto folder = std::dynamic_pointer_cast<mapi::Folder>(opened);
    if (openResult != outlook::hr::S_Ok || folder == nullptr) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to OpenEntry failure.\n");
    }
    const std::optional<mapi::Binary> entryId = ReadBinary(*message, mapi::PR_ENTRYID);
    if (!entryId) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to PR_ENTRYID retrival failure.\n");
    }
    if (const outlook::HResult deleted = folder->DeleteMessages({*entryId}); deleted != outlook::hr::S_Ok) {
        diagnostics::LogWrite(L"[MAPI] DeleteMessages returned " + platform::HexW(static_cast<std::uint32_t>(deleted)) +
                              L"\n");
    }
}

std::wstring GetInternetHeaderValue(std::wstring_view headerName, const outlook::Ref<outlook::MailItem>& mail) {
    platform::AssertUiThread(__func__);
    if (mail == nullptr) return {};
    outlook::Ref<mapi::Message> message;
    try {
        message = mail->MAPIOBJECT();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
        return {};
    }
    if (message == nullptr) return {};
    mapi::PropValue value;
    if (mapi::HrGetOneProp(*message, mapi::PR_TRANSPORT_MESSAGE_HEADERS_W, value) != outlook::hr::S_Ok) return {};
    const auto* text = std::get_if<std::wstring>(&value.data);
    if (text == nullptr) return {};

    const std::wstring headers = platform::ToLower(*text);
    std::size_t at = headers.find(headerName);
    while (at != std::wstring::npos && !StartsALine(headers, at)) at = headers.find(headerName, at + 1);
    if (at == std::wstring::npos) return {};
    const std::size_t start = at + headerName.size();
    const std::size_t end = headers.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) return {};
    return headers.substr(start, end - start);
}

bool IsServiceCopy(const outlook::Ref<outlook::MailItem>& mail) {
    return GetInternetHeaderValue(kServiceCopyHeader, mail) == L"true";
}

namespace {

std::vector<std::wstring> SplitEntryIds(std::wstring_view entryIds) {
    std::vector<std::wstring> ids;
    std::size_t start = 0;
    while (start <= entryIds.size()) {
        const std::size_t comma = std::min(entryIds.find(L',', start), entryIds.size());
        if (comma > start) ids.emplace_back(entryIds.substr(start, comma - start));
        start = comma + 1;
    }
    return ids;
}

outlook::Ref<outlook::Account> AccountNamed(const outlook::Ref<outlook::NameSpace>& session,
                                            const std::wstring& displayName) {
    const outlook::Ref<outlook::Accounts> accounts = session->Accounts();
    const int count = accounts->Count();
    for (int index = 1; index <= count; ++index) {
        outlook::Ref<outlook::Account> account = accounts->Item(index);
        if (account->DisplayName() == displayName) return account;
    }
    return nullptr;
}

void ProcessNewMail(const outlook::Ref<outlook::NameSpace>& session, const std::wstring& entryId) {
    const auto item = std::dynamic_pointer_cast<outlook::MailItem>(session->GetItemFromID(entryId, L""));
    if (item == nullptr) return;
    const auto folder = std::dynamic_pointer_cast<outlook::MAPIFolder>(item->Parent());
    if (folder == nullptr) return;
    const std::wstring storeName = folder->Store()->DisplayName();
    if (!storeName.starts_with(kGoogleAppsPrefix)) return;
    if (!IsServiceCopy(item) || !item->UnRead()) return;

    const std::wstring address = storeName.substr(kGoogleAppsPrefix.size());
    const settings::AccountSettings settings = settings::SettingsStore::Instance().SettingsFor(address);
    if (settings.place == 0) return;
    const outlook::Ref<outlook::Account> account = AccountNamed(session, storeName);
    if (account == nullptr) return;
    // The copy Outlook itself keeps of what was sent is no copy from the service.
    const outlook::Ref<outlook::MAPIFolder> sent = account->DeliveryStore()->GetDefaultFolder(outlook::olFolderSentMail);
    if (folder->EntryID() == sent->EntryID()) return;

    item->SetUnRead(false);
    item->Save();
    if (settings.cc == 0) DeleteMessagePermanently(item);
}

}  // namespace

void ProcessNewGoogleAppsCopies(const outlook::Ref<outlook::NameSpace>& session, std::wstring_view entryIds) {
    platform::AssertUiThread(__func__);
    for (const std::wstring& entryId : SplitEntryIds(entryIds)) ProcessNewMail(session, entryId);
}

}  // namespace sealwing::mailstore
