#include "compose/RouterWindow.h"

#include <utility>

#include "diagnostics/Log.h"
#include "dialogs/LoginDialog.h"
#include "mailstore/OutlookAccounts.h"
#include "mailstore/OutlookActions.h"
#include "outlook/OutlookVersion.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "settings/PasswordCache.h"
#include "settings/SettingsStore.h"

namespace sealwing::compose {
namespace {

namespace mapi = outlook::mapi;
using service::ServiceResult;

constexpr const wchar_t* kCaption = L"Parcelon for Microsoft Outlook";

void ShowBox(platform::WindowHandle owner, const wchar_t* text, platform::MessageBoxIcon icon) {
    platform::TheUserInterface().ShowMessageBox(
        platform::MessageBoxRequest{.owner = owner, .text = text, .caption = kCaption, .icon = icon});
}

// A failed MAPI step of the Sent copy: the copy is left out and the draft still leaves Drafts.
bool Failed(outlook::HResult result, const wchar_t* step) {
    if (outlook::Succeeded(result)) return false;
    diagnostics::LogWrite(L"[MAPI] The copy in the Sent folder is left out: " + std::wstring(step) + L" failed with " +
                          platform::HexW(static_cast<std::uint32_t>(result)) + L"\n");
    return true;
}

// An account's address as the Sent folder's choice compares it with the sender's.
std::wstring AccountAddress(outlook::Account& account) {
    std::wstring address = account.SmtpAddress();
    if (address.empty()) {
        if (const outlook::Ref<outlook::Recipient> user = account.CurrentUser()) address = user->Address();
    }
    if (!address.empty() && !mailstore::IsEmailAddress(address)) {
        address = settings::SettingsStore::Instance().MappedAddress(address);
    }
    if (address.empty()) address = account.DisplayName();
    return address;
}

}  // namespace

RouterWindow::RouterWindow(outlook::Ref<outlook::Application> application, ErrorNotice showError)
    : application_(std::move(application)), showError_(std::move(showError)) {}

void RouterWindow::Complete(SendCompletion& completion) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Sending message is complete");
    completion.done = true;
    try {
        platform::WindowHandle owner = platform::kNoWindow;
        if (completion.result != ServiceResult::Success && completion.message.item != nullptr) {
            // The draft back on screen, owning what is said about it. Shown first: a window that is not shown yet
            // has no handle to own a dialog.
            const outlook::Ref<outlook::Inspector> inspector =
                outlook::Required(application_->Inspectors(), L"Application.Inspectors")->Add(completion.message.item);
            outlook::Required(inspector, L"Inspectors.Add")->Activate();
            owner = inspector->Window();
        }
        switch (completion.result) {
            case ServiceResult::Success:
                CompleteSuccess(completion.message);
                break;
            case ServiceResult::NotAuthorised:
                AskForCredentialsAgain(completion, owner);
                break;
            case ServiceResult::Failed:
                if (completion.errorText.empty()) completion.errorText = kUnexpectedSendErrorText;
                showError_(owner, completion.errorText);
                break;
            default:
                completion.result = ServiceResult::Failed;
                if (completion.errorText.empty()) completion.errorText = kUnexpectedSendErrorText;
                showError_(owner, completion.errorText);
                break;
        }
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

void RouterWindow::AskForCredentialsAgain(SendCompletion& completion, platform::WindowHandle owner) {
    const std::wstring& email = completion.message.email;
    settings::PasswordCache& cache = settings::PasswordCache::Instance();
    if (cache.HasPassword(email)) cache.Forget(email);
    completion.done = false;
    const int failedAttempts = completion.attempts++;
    dialogs::CCredentialsDlg dialog(email, failedAttempts);
    switch (dialog.Show(owner)) {
        case platform::kDialogOk:
            break;  // the worker sends the message again
        case platform::kDialogCancel:
            completion.result = ServiceResult::Cancelled;
            completion.done = true;
            break;
        default:
            ShowBox(owner, kInternalSystemErrorText, platform::MessageBoxIcon::Error);
            completion.done = true;
            break;
    }
}

void RouterWindow::CompleteSuccess(const service::OutgoingMessage& message) {
    if (message.item == nullptr) return;
    if (message.settings.place == 1) PlaceSentCopy(message);
    if (!mailstore::DeleteMessagePermanently(message.item)) {
        // The service has the message: a second send of the draft left behind must be the user's own choice.
        const outlook::Ref<outlook::Explorer> explorer = application_->ActiveExplorer();
        ShowBox(explorer ? explorer->Window() : platform::kNoWindow, kDraftLeftAfterSendingText,
                platform::MessageBoxIcon::Warning);
    }
}

outlook::Ref<mapi::Folder> RouterWindow::AccountSentFolder(const outlook::Ref<outlook::MailItem>& draft) {
    try {
        const std::wstring sender = mailstore::GetSenderAddress(draft);
        const outlook::Ref<outlook::Accounts> accounts = outlook::Required(
            outlook::Required(application_->Session(), L"Application.Session")->Accounts(), L"Session.Accounts");
        outlook::Ref<mapi::Folder> folder;
        const int count = accounts->Count();
        for (int index = 1; index <= count; ++index) {  // a later match replaces an earlier one
            const outlook::Ref<outlook::Account> account = outlook::Required(accounts->Item(index), L"Accounts.Item");
            if (AccountAddress(*account) != sender) continue;
            const outlook::Ref<outlook::Store> store =
                outlook::Required(account->DeliveryStore(), L"Account.DeliveryStore");
            folder = outlook::Required(store->GetDefaultFolder(outlook::olFolderSentMail), L"Store.GetDefaultFolder")
                         ->MAPIOBJECT();
        }
        return folder;
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
        return nullptr;
    }
}

void RouterWindow::PlaceSentCopy(const service::OutgoingMessage& message) {
    diagnostics::LogWrite(L"[MAPI] Moving message to sent folder\n");
    outlook::Ref<mapi::Folder> folder;
    if (outlook::MajorVersionOf(*application_) > 12) folder = AccountSentFolder(message.item);
    if (folder == nullptr) {
        diagnostics::LogWrite(L"Sent folder was not found. Using default one\n");
        folder = outlook::Required(outlook::Required(application_->Session(), L"Application.Session")
                                       ->GetDefaultFolder(outlook::olFolderSentMail),
                                   L"Session.GetDefaultFolder")
                     ->MAPIOBJECT();
    }
    if (folder == nullptr) {
        diagnostics::LogWrite(L"[MAPI] The copy in the Sent folder is left out: the folder has no MAPI object\n");
        return;
    }
    outlook::Ref<mapi::Message> copy;
    if (Failed(folder->CreateMessage(copy), L"CreateMessage")) return;
    const outlook::Ref<mapi::Message> draft = message.item->MAPIOBJECT();
    if (draft == nullptr) {
        diagnostics::LogWrite(L"[MAPI] The copy in the Sent folder is left out: the draft has no MAPI object\n");
        return;
    }
    if (Failed(draft->CopyTo(*copy), L"CopyTo")) return;

    mapi::PropValue value;
    // The flags are relied upon; should they not be read, the copy is marked read and nothing else.
    std::int32_t flags = 0;
    if (mapi::HrGetOneProp(*copy, mapi::PR_MESSAGE_FLAGS, value) == outlook::hr::S_Ok) {
        if (const auto* read = std::get_if<std::int32_t>(&value.data)) flags = *read;
    }
    std::wstring subject = kSentCopyPrefix;
    if (mapi::HrGetOneProp(*copy, mapi::PR_SUBJECT_W, value) == outlook::hr::S_Ok) {
        if (const auto* read = std::get_if<std::wstring>(&value.data)) subject += *read;
    }
    const mapi::FileTime now = mapi::FileTimeFromUnix(platform::TheClock().UtcSeconds());
    const std::vector<mapi::PropValue> values = {
        {mapi::PR_CLIENT_SUBMIT_TIME, now},
        {mapi::PR_MESSAGE_DELIVERY_TIME, now},
        {mapi::PR_MESSAGE_FLAGS, (flags & ~mapi::MSGFLAG_UNSENT) | mapi::MSGFLAG_READ},
        {mapi::PR_SENDER_NAME_W, message.email},
        {mapi::PR_SUBJECT_W, subject},
    };
    if (Failed(copy->SetProps(values), L"SetProps")) return;
    Failed(copy->SaveChanges(), L"SaveChanges");
}

}  // namespace sealwing::compose
