#include "dialogs/LoginDialog.h"

#include "dialogs/LoginDialogTemplate.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"
#include "settings/PasswordCache.h"
#include "settings/PasswordStorage.h"

namespace sealwing::dialogs {
namespace {

constexpr platform::Rgb kNoticeRed{255, 0, 0};

}  // namespace

CCredentialsDlg::CCredentialsDlg(std::wstring login, int failedAttempts)
    : showIncorrect_(failedAttempts > 0), login_(std::move(login)) {
    settings::LoadPasswordStorage(saved_);
}

int CCredentialsDlg::Show(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    return platform::TheUserInterface().RunDialog(*this, owner);
}

const platform::DialogTemplate& CCredentialsDlg::Template() const { return kLoginDialogTemplate; }

void CCredentialsDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    view.SetText(kLoginFieldId, login_);
    auto& cache = settings::PasswordCache::Instance();
    if (const std::optional<std::wstring> cached = cache.FindPassword(login_)) {
        view.SetText(kPasswordFieldId, *cached);
    } else if (const std::optional<std::size_t> index = saved_.Find(login_)) {
        const std::wstring& password = saved_.Entries()[*index].password;
        if (!password.empty()) {
            view.SetText(kPasswordFieldId, password);
            view.SetChecked(kSavePasswordId, true);
        }
    }
    if (showIncorrect_) {
        view.SetText(kLoginPromptId, kPasswordIncorrectText);
        view.SetTextColour(kLoginPromptId, kNoticeRed);
    }
}

std::optional<int> CCredentialsDlg::OnCommand(platform::DialogView& view, int controlId) {
    if (controlId != platform::kDialogOk) return std::nullopt;
    const std::wstring login = view.Text(kLoginFieldId);
    const std::wstring password = view.Text(kPasswordFieldId);
    settings::PasswordCache::Instance().SetPassword(login_, password);

    const std::optional<std::size_t> index = saved_.Find(login);
    if (view.IsChecked(kSavePasswordId)) {
        if (index) {
            saved_.Set(*index, password);
        } else {
            saved_.Add(login, password);
        }
        settings::SavePasswordStorage(saved_);
    } else if (index) {
        saved_.Remove(*index);
        settings::SavePasswordStorage(saved_);
    }
    return platform::kDialogOk;
}

bool AskForPassword(std::wstring_view email, int failedAttempts, platform::WindowHandle owner) {
    return CCredentialsDlg(std::wstring(email), failedAttempts).Show(owner) == platform::kDialogOk;
}

}  // namespace sealwing::dialogs
