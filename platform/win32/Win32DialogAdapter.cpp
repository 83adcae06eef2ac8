#include "platform/win32/Win32DialogAdapter.h"

#include <commctrl.h>
#include <richedit.h>

#include <cwchar>
#include <stdexcept>
#include <string>

#include "platform/Text.h"

namespace sealwing::platform {
namespace {

bool IsButtonKind(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::DefaultButton || kind == ControlKind::CheckBox;
}

// Rich-edit controls report clicks on the links they detect only when asked to, and detect them only when told to.
void DetectLinks(HWND control) {
    ::SendMessageW(control, EM_AUTOURLDETECT, TRUE, 0);
    const LRESULT events = ::SendMessageW(control, EM_GETEVENTMASK, 0, 0);
    ::SendMessageW(control, EM_SETEVENTMASK, 0, events | ENM_LINK);
}

// The text of a range of a rich-edit control: a detected link's address.
std::wstring TextRange(HWND control, const CHARRANGE& range) {
    if (range.cpMax <= range.cpMin) return {};
    std::wstring text(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
    TEXTRANGEW request{range, text.data()};
    const LRESULT copied = ::SendMessageW(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

bool IsLinkControl(HWND control) {
    wchar_t className[32] = {};
    if (::GetClassNameW(control, className, 32) == 0) return false;
    return ::lstrcmpiW(className, WC_LINK) == 0;
}

}  // namespace

Win32DialogAdapter::~Win32DialogAdapter() { Finish(); }

void Win32DialogAdapter::Finish() {
    ended_ = true;
    if (mailbox_) mailbox_->Close();
}

bool Win32DialogAdapter::OnInit(HWND dialog) {
    window_ = dialog;
    mailbox_ = std::make_shared<Win32DialogMailbox>(dialog);
    for (const ControlTemplate& control : dialog_.Template().controls) {
        if (control.kind == ControlKind::RichEdit) DetectLinks(Control(control.id));
    }
    dialog_.OnOpen(*this, mailbox_);
    if (const std::optional<INT_PTR> end = Settle(std::nullopt)) ::EndDialog(dialog, *end);
    return true;
}

std::optional<INT_PTR> Win32DialogAdapter::OnCommand(HWND, int controlId, int notifyCode) {
    if (ended_ || !IsCommand(controlId, notifyCode)) return std::nullopt;
    return Settle(dialog_.OnCommand(*this, controlId));
}

std::optional<INT_PTR> Win32DialogAdapter::OnClose(HWND) {
    if (ended_) return std::nullopt;
    return Settle(dialog_.OnClose(*this));
}

std::optional<INT_PTR> Win32DialogAdapter::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case Win32DialogMailbox::kPostMessage:
            // A post that was queued before the end reaches the window, but not the Dialog.
            if (ended_) return 0;
            return SettleAndEnd(dialog_.OnPosted(*this, static_cast<int>(static_cast<unsigned int>(wParam)),
                                                 static_cast<std::intptr_t>(lParam)));
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return OnControlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        default:
            return std::nullopt;
    }
}

std::optional<INT_PTR> Win32DialogAdapter::OnNotify(const NMHDR& header) {
    if (header.code == EN_LINK) return OnRichEditLink(reinterpret_cast<const ENLINK&>(header));
    if (header.code != static_cast<UINT>(NM_CLICK) && header.code != static_cast<UINT>(NM_RETURN)) {
        return std::nullopt;
    }
    if (!IsLinkControl(header.hwndFrom)) return std::nullopt;
    if (ended_) return 0;
    const LITEM& item = reinterpret_cast<const NMLINK&>(header).item;
    const std::wstring_view address(item.szUrl, ::wcsnlen(item.szUrl, L_MAX_URL_LENGTH));
    dialog_.OnLink(*this, static_cast<int>(header.idFrom), address);
    return SettleAndEnd(std::nullopt);
}

std::optional<INT_PTR> Win32DialogAdapter::OnRichEditLink(const ENLINK& link) {
    // The control reports every mouse message over a link; a left-button press is the click.
    if (link.msg != WM_LBUTTONDOWN) return std::nullopt;
    if (ended_) return 0;
    dialog_.OnLink(*this, static_cast<int>(link.nmhdr.idFrom), TextRange(link.nmhdr.hwndFrom, link.chrg));
    return SettleAndEnd(std::nullopt);
}

std::optional<INT_PTR> Win32DialogAdapter::OnControlColour(UINT message, HDC context, HWND control) const {
    const auto found = colours_.find(::GetDlgCtrlID(control));
    if (found == colours_.end()) return std::nullopt;
    ::SetTextColor(context, found->second);
    if (message == WM_CTLCOLOREDIT) {
        // Text being typed over a transparent background would leave its old strokes behind: an editable field
        // keeps its opaque background and takes only the colour.
        ::SetBkColor(context, ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
    }
    // No brush: the dialog's background, painted beneath, shows through.
    ::SetBkMode(context, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
}

bool Win32DialogAdapter::IsCommand(int controlId, int notifyCode) const {
    const ControlTemplate* control = dialog_.Template().Find(controlId);
    if (control != nullptr && control->kind == ControlKind::ComboBox) return notifyCode == CBN_SELCHANGE;
    if (notifyCode != BN_CLICKED) return false;
    // IDOK from the Enter key comes as a click, whichever control has the focus.
    return control == nullptr || IsButtonKind(control->kind);
}

std::optional<INT_PTR> Win32DialogAdapter::Settle(std::optional<int> result) {
    if (ended_) return std::nullopt;
    const std::optional<int> end = result ? result : pendingEnd_;
    if (!end) return std::nullopt;
    Finish();
    return static_cast<INT_PTR>(*end);
}

LRESULT Win32DialogAdapter::SettleAndEnd(std::optional<int> result) {
    if (const std::optional<INT_PTR> end = Settle(result)) ::EndDialog(window_, *end);
    return 0;
}

HWND Win32DialogAdapter::Control(int controlId) const {
    const HWND control = window_ != nullptr ? ::GetDlgItem(window_, controlId) : nullptr;
    if (control == nullptr) {
        throw std::logic_error("dialog " + std::to_string(dialog_.Template().id) + " has no control " +
                               std::to_string(controlId));
    }
    return control;
}

void Win32DialogAdapter::Redraw(HWND control) const {
    // A control drawn without a brush does not erase its old text itself: its parent's background must be painted
    // again beneath it.
    RECT area{};
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(window_, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::wstring Win32DialogAdapter::Text(int controlId) const {
    const HWND control = Control(controlId);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

void Win32DialogAdapter::SetText(int controlId, std::wstring_view text) {
    const HWND control = Control(controlId);
    const ControlTemplate* layout = dialog_.Template().Find(controlId);
    if (layout != nullptr && layout->kind == ControlKind::RichEdit) {
        // Rich text is read in the default code page, where the control recognises its format; WM_SETTEXT with
        // wide characters would show the markup itself.
        SETTEXTEX how{ST_DEFAULT, CP_ACP};
        const std::string bytes = AnsiFromWide(text);
        ::SendMessageW(control, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(bytes.c_str()));
        return;
    }
    ::SetWindowTextW(control, std::wstring(text).c_str());
    if (colours_.contains(controlId)) Redraw(control);
}

bool Win32DialogAdapter::IsChecked(int controlId) const {
    return ::SendMessageW(Control(controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32DialogAdapter::SetChecked(int controlId, bool checked) {
    ::SendMessageW(Control(controlId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32DialogAdapter::SetTextColour(int controlId, std::optional<Rgb> colour) {
    const HWND control = Control(controlId);
    if (colour) {
        colours_[controlId] = RGB(colour->red, colour->green, colour->blue);
    } else {
        colours_.erase(controlId);
    }
    Redraw(control);
}

void Win32DialogAdapter::SetEnabled(int controlId, bool enabled) { ::EnableWindow(Control(controlId), enabled); }

void Win32DialogAdapter::SetVisible(int controlId, bool visible) {
    ::ShowWindow(Control(controlId), visible ? SW_SHOW : SW_HIDE);
}

void Win32DialogAdapter::SetChoices(int controlId, const std::vector<std::wstring>& choices) {
    const HWND control = Control(controlId);
    ::SendMessageW(control, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& choice : choices) {
        if (::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str())) < 0) {
            throw std::runtime_error("combo box " + std::to_string(controlId) + " refused a choice");
        }
    }
}

int Win32DialogAdapter::Chosen(int controlId) const {
    const LRESULT chosen = ::SendMessageW(Control(controlId), CB_GETCURSEL, 0, 0);
    return chosen == CB_ERR ? -1 : static_cast<int>(chosen);
}

void Win32DialogAdapter::Choose(int controlId, int index) {
    // -1 clears the choice, as the port wants.
    ::SendMessageW(Control(controlId), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DialogAdapter::SetProgressRange(int controlId, std::uint32_t maximum) {
    ::SendMessageW(Control(controlId), PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
}

void Win32DialogAdapter::SetProgress(int controlId, std::uint32_t position) {
    ::SendMessageW(Control(controlId), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32DialogAdapter::End(int result) {
    if (!pendingEnd_) pendingEnd_ = result;
}

}  // namespace sealwing::platform
