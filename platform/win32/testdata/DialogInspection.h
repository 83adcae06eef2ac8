#pragma once

#include "platform/win32/Win32Headers.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserInterface.h"
#include "platform/WindowSystem.h"
#include "platform/win32/Win32UserInterface.h"

// Looking at and playing the user on a real dialog window, for the Windows tests that run the add-in's dialogs under
// Wine: what its controls hold, how it asks them to be drawn, what it painted, and a screenshot to keep.
namespace sealwing::platform::win32::testing {

// A window's title, or a control's text.
std::wstring WindowText(HWND window);

// The visible dialog windows of this thread, and the one among them with that caption (null when none).
std::vector<HWND> ShownDialogs();
HWND ShownDialog(const std::wstring& caption);

// A click as the button reports it, left in the queue: a button that opens another modal dialog then does so from
// the dialog's own loop, not from inside the step.
void PostClick(HWND dialog, int id);

// One act of the user on the dialog with that caption, once it shows and takes input (a dialog under a nested one
// waits for it to end).
struct DialogStep {
    std::wstring caption;
    std::function<void(HWND)> act;
};

// Plays the steps in order, one each tick of a thread timer, which every modal loop of this thread serves. Past the
// steps, or while a step's dialog never shows, every dialog still open is ended with kGaveUp after kGiveUpTicks
// ticks, so a broken dialog fails its test instead of hanging it: a count, not a timing, as a working run ends long
// before. One player at a time.
class DialogPlayer {
public:
    static constexpr int kGiveUpTicks = 3000;
    static constexpr int kGaveUp = 99;

    explicit DialogPlayer(std::vector<DialogStep> steps);
    ~DialogPlayer();
    DialogPlayer(const DialogPlayer&) = delete;
    DialogPlayer& operator=(const DialogPlayer&) = delete;

    bool Finished() const { return next_ == steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    static DialogPlayer* playing_;
    std::vector<DialogStep> steps_;
    UINT_PTR timer_ = 0;
    std::size_t next_ = 0;
    int idleTicks_ = 0;
};

// The text control `id` of `dialog` holds.
std::wstring ItemText(HWND dialog, int id);

// Clicks button `id` of `dialog`, as the mouse does.
void Click(HWND dialog, int id);

// What a dialog answered when a control asked how to draw itself.
struct ColourAnswer {
    LRESULT brush = 0;
    COLORREF textColour = CLR_INVALID;
    int backgroundMode = 0;
};

// Asks the dialog how `id` is to be drawn, the way the control asks before painting: `message` is the WM_CTLCOLOR*
// message of the control's kind, a static-drawn one's by default.
ColourAnswer AskColour(HWND dialog, int id, UINT message = WM_CTLCOLORSTATIC);

// A window's pixels as painted, 32 bits each, top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    // Plainly red pixels within `area` (window coordinates).
    int RedPixels(const RECT& area) const;
};

// Repaints `window`, frame and children included, and takes what it painted.
Picture Capture(HWND window);

// A control's rectangle in the coordinates of its dialog's window, as Capture's picture has them.
RECT ControlArea(HWND dialog, int id);

// Where the test run keeps what a person may want to look at afterwards: SEALWING_ARTEFACTS_DIR, or "artefacts"
// beside the folder of the test program (build/<preset>/artefacts). The folder is created if need be.
std::wstring ArtefactPath(const wchar_t* name);

// Writes the picture to `path` as a PNG through GDI+. Returns whether it was written.
bool SavePng(const Picture& picture, const std::wstring& path);

// A plain top-level window to own the dialogs, as an Outlook window does.
class OwnerWindow {
public:
    OwnerWindow();
    ~OwnerWindow();
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    WindowHandle Get() const { return reinterpret_cast<WindowHandle>(window_); }

private:
    HWND window_;
};

// The DLL's user-interface port with real dialogs, whose links are recorded rather than opened.
class UserInterfaceRecordingLinks final : public UserInterface {
public:
    UserInterfaceRecordingLinks(HINSTANCE module, HANDLE activationContext) : real_(module, activationContext) {}

    DialogResult ShowMessageBox(const MessageBoxRequest& request) override { return real_.ShowMessageBox(request); }
    int RunDialog(Dialog& dialog, WindowHandle owner) override { return real_.RunDialog(dialog, owner); }
    std::optional<std::wstring> ChooseSaveFile(const SaveFileRequest&) override { return std::nullopt; }
    void OpenLink(const std::wstring& address) override { opened.push_back(address); }

    std::vector<std::wstring> opened;

private:
    Win32UserInterface real_;
};

}  // namespace sealwing::platform::win32::testing
