#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sealwing::sim::win32 {

// A message box as the user saw it.
struct SeenMessageBox {
    std::wstring caption;
    std::wstring text;
    bool warningIcon = false;
    HWND owner = nullptr;
    HWND window = nullptr;
};

// Plays the user in front of the message boxes shown on this thread while it lives. The DLL shows its boxes with the
// real MessageBoxW, not through the simulation, so they are found where they are: a thread timer, which fires inside
// the box's own modal loop, looks for dialog windows of the thread, records each new one and presses its default
// button. One watch per thread at a time.
//
// A dialog of the DLL's own that needs more than its default button (a password typed, a field read) is answered by
// the function given for its caption instead: it gets the dialog while it is shown, and ends it (say by posting a
// command) or leaves it open when it returns false, to be asked again at the next look.
class MessageBoxWatch {
public:
    MessageBoxWatch();
    ~MessageBoxWatch();
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    const std::vector<SeenMessageBox>& Seen() const { return seen_; }

    using Answer = std::function<bool(HWND dialog)>;
    // Dialogs of this caption from now on are answered by `answer`; an empty function restores the default button.
    void AnswerBy(const std::wstring& caption, Answer answer);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK AnswerBox(HWND window, LPARAM watch);

    std::vector<SeenMessageBox> seen_;
    std::vector<HWND> answered_;
    std::map<std::wstring, Answer> answers_;
    UINT_PTR timer_ = 0;
};

}  // namespace sealwing::sim::win32
