#pragma once

#include <richedit.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/Dialog.h"
#include "platform/win32/Win32DialogMailbox.h"
#include "platform/win32/Win32DialogRunner.h"

namespace sealwing::platform {

// One portable Dialog run by Win32DialogRunner over its real window: the runner's controller, turning the dialog
// manager's messages into the Dialog's calls, and the Dialog's view, acting on the controls by id.
//
// What reaches the Dialog: a button's or check box's BN_CLICKED and a combo box's CBN_SELCHANGE as OnCommand; IDCANCEL
// (Cancel, Escape, the close box) as OnClose; a SysLink's NM_CLICK or NM_RETURN as OnLink with the link's address, and
// a left-button press on a link that a rich-edit control detected (EN_LINK) as OnLink with the link's text; the
// mailbox's posts as OnPosted. Rich-edit controls detect web addresses from the start, and take their text (rich
// text or plain) in the default code page. Once the Dialog asked to end, it is called no more, and its mailbox is
// closed. When a call both asks End and returns a result, the result wins, as in the simulated Outlook.
//
// A control id the window lacks is a mistake in the Dialog, and throws std::logic_error; the runner ends the dialog
// and hands the exception to the caller.
class Win32DialogAdapter final : public DialogController, public DialogView {
public:
    explicit Win32DialogAdapter(Dialog& dialog) : dialog_(dialog) {}
    ~Win32DialogAdapter() override;
    Win32DialogAdapter(const Win32DialogAdapter&) = delete;
    Win32DialogAdapter& operator=(const Win32DialogAdapter&) = delete;

    // Closes the mailbox: the run is over, however it ended. Also done by the destructor.
    void Finish();

    // DialogController
    bool OnInit(HWND dialog) override;
    std::optional<INT_PTR> OnCommand(HWND dialog, int controlId, int notifyCode) override;
    std::optional<INT_PTR> OnClose(HWND dialog) override;
    std::optional<INT_PTR> OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

    // DialogView
    WindowHandle Window() const override { return reinterpret_cast<WindowHandle>(window_); }
    std::wstring Text(int controlId) const override;
    void SetText(int controlId, std::wstring_view text) override;
    bool IsChecked(int controlId) const override;
    void SetChecked(int controlId, bool checked) override;
    void SetTextColour(int controlId, std::optional<Rgb> colour) override;
    void SetEnabled(int controlId, bool enabled) override;
    void SetVisible(int controlId, bool visible) override;
    void SetChoices(int controlId, const std::vector<std::wstring>& choices) override;
    int Chosen(int controlId) const override;
    void Choose(int controlId, int index) override;
    void SetProgressRange(int controlId, std::uint32_t maximum) override;
    void SetProgress(int controlId, std::uint32_t position) override;
    void End(int result) override;

private:
    HWND Control(int controlId) const;
    bool IsCommand(int controlId, int notifyCode) const;
    // After each call into the Dialog: the result to end with, if it asked to end; closes the mailbox then.
    std::optional<INT_PTR> Settle(std::optional<int> result);
    // Ends the dialog from a message the runner does not end it for.
    LRESULT SettleAndEnd(std::optional<int> result);
    std::optional<INT_PTR> OnNotify(const NMHDR& header);
    std::optional<INT_PTR> OnRichEditLink(const ENLINK& link);
    std::optional<INT_PTR> OnControlColour(UINT message, HDC context, HWND control) const;
    void Redraw(HWND control) const;

    Dialog& dialog_;
    HWND window_ = nullptr;
    std::shared_ptr<Win32DialogMailbox> mailbox_;
    std::map<int, COLORREF> colours_;
    std::optional<int> pendingEnd_;
    bool ended_ = false;
};

}  // namespace sealwing::platform
