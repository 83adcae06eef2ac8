#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowSystem.h"

// Modal dialogs, the portable way: a dialog's behaviour (what opening fills in, what each control's command does,
// the result) is a `Dialog` acting on a `DialogView` of its window. The user-interface port runs it: on Windows from
// the dialog template with the same id in the add-in's resources, in the simulated Outlook through the scripted user.
// Every call into a Dialog comes on the UI thread, between its opening and its end.
namespace sealwing::platform {

// The results Windows' dialog manager gives the OK and Cancel buttons (IDOK, IDCANCEL).
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class ControlKind {
    Static,  // a label
    Edit,    // a single-line edit
    ReadOnlyEdit,
    PasswordEdit,
    MultilineEdit,  // read-only, scrolling: a log's text
    CheckBox,
    Button,
    DefaultButton,
    ComboBox,  // a drop-down list to choose from
    Progress,
    Link,      // text with <a href="...">links</a>
    RichEdit,  // read-only rich text
    GroupBox,  // a frame with a caption around the controls it groups
};

// One control of a dialog template; positions and sizes in dialog units.
struct ControlTemplate {
    int id = -1;  // -1: a label nobody addresses
    ControlKind kind = ControlKind::Static;
    std::wstring_view text{};
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A dialog template: the one description of a dialog. The simulated Outlook shows it; the Windows build runs the
// resource written from it (tools/dialogresources writes resources/Dialogs.rc, and a test keeps the two equal).
struct DialogTemplate {
    int id = 0;
    std::wstring_view caption{};
    int width = 0;  // dialog units
    int height = 0;
    bool topmost = false;
    std::span<const ControlTemplate> controls{};

    const ControlTemplate* Find(int controlId) const {
        for (const ControlTemplate& control : controls) {
            if (control.id == controlId) return &control;
        }
        return nullptr;
    }
};

// The dialog's window as its behaviour sees it: controls by id.
class DialogView {
public:
    virtual ~DialogView() = default;

    virtual WindowHandle Window() const = 0;

    virtual std::wstring Text(int controlId) const = 0;
    virtual void SetText(int controlId, std::wstring_view text) = 0;
    virtual bool IsChecked(int controlId) const = 0;
    virtual void SetChecked(int controlId, bool checked) = 0;
    // Draws the control's text in `colour` on a transparent background; nothing: drawn as usual.
    virtual void SetTextColour(int controlId, std::optional<Rgb> colour) = 0;
    virtual void SetEnabled(int controlId, bool enabled) = 0;
    virtual void SetVisible(int controlId, bool visible) = 0;

    // Combo boxes: the choices, and the chosen one (-1: none).
    virtual void SetChoices(int controlId, const std::vector<std::wstring>& choices) = 0;
    virtual int Chosen(int controlId) const = 0;
    virtual void Choose(int controlId, int index) = 0;

    // Progress bars.
    virtual void SetProgressRange(int controlId, std::uint32_t maximum) = 0;
    virtual void SetProgress(int controlId, std::uint32_t position) = 0;

    // Ends the dialog with `result` once the current call returns.
    virtual void End(int result) = 0;
};

// The way into a running dialog from another thread: each post reaches the dialog's OnPosted on the UI thread, in
// order. Posting never waits; a post after the dialog ended is dropped.
class DialogMailbox {
public:
    virtual ~DialogMailbox() = default;
    virtual void Post(int message, std::intptr_t value) = 0;
};

// The behaviour of one modal dialog.
class Dialog {
public:
    virtual ~Dialog() = default;

    virtual const DialogTemplate& Template() const = 0;

    // The controls exist and show the template's texts. The mailbox stays usable by workers for the dialog's life.
    virtual void OnOpen(DialogView& view, const std::shared_ptr<DialogMailbox>& mailbox) = 0;
    // A button was pressed (not Cancel: see OnClose). A value ends the dialog with it.
    virtual std::optional<int> OnCommand(DialogView& view, int controlId) = 0;
    // Cancel, Escape or the close box. A value ends the dialog with it; nothing keeps it open.
    virtual std::optional<int> OnClose(DialogView& /*view*/) { return kDialogCancel; }
    // A link of a link control was clicked.
    virtual void OnLink(DialogView& /*view*/, int /*controlId*/, std::wstring_view /*address*/) {}
    // A worker's post through the mailbox. A value ends the dialog with it.
    virtual std::optional<int> OnPosted(DialogView& /*view*/, int /*message*/, std::intptr_t /*value*/) {
        return std::nullopt;
    }
};

}  // namespace sealwing::platform
