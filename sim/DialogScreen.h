#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Dialog.h"

namespace sealwing::sim {

// What one control shows.
struct ControlState {
    platform::ControlKind kind = platform::ControlKind::Static;
    std::wstring text{};
    bool checked = false;
    std::optional<platform::Rgb> colour{};
    bool enabled = true;
    bool visible = true;
    std::vector<std::wstring> choices{};
    int chosen = -1;
    std::uint32_t progressMaximum = 100;
    std::uint32_t progress = 0;
    friend bool operator==(const ControlState&, const ControlState&) = default;
};

// Posts from workers, queued until the dialog's thread takes them.
class SimDialogMailbox final : public platform::DialogMailbox {
public:
    void Post(int message, std::intptr_t value) override;
    // Waits until a post arrives or the mailbox is closed; nothing once closed and empty.
    std::optional<std::pair<int, std::intptr_t>> Take();
    std::optional<std::pair<int, std::intptr_t>> TakeIfAny();
    void Close();

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::pair<int, std::intptr_t>> posts_;
    bool closed_ = false;
};

// A dialog of the simulated desktop, as the scripted user sees and works it: controls by id, filled from the
// dialog's template, and the user's acts, each reaching the dialog's behaviour as Windows would deliver it. Acts on
// a control the template lacks, a hidden or disabled one, or after the dialog ended are mistakes in the script and
// throw std::logic_error.
class DialogScreen final : public platform::DialogView {
public:
    DialogScreen(platform::Dialog& dialog, platform::WindowHandle window, platform::WindowHandle owner);
    ~DialogScreen() override;

    int TemplateId() const { return dialog_.Template().id; }
    std::wstring Caption() const { return std::wstring(dialog_.Template().caption); }
    platform::WindowHandle Owner() const { return owner_; }
    const ControlState& Control(int controlId) const;
    const std::map<int, ControlState>& Controls() const { return controls_; }
    bool Ended() const { return result_.has_value(); }
    std::optional<int> Result() const { return result_; }

    // Opening: the behaviour's OnOpen.
    void Open();
    // Replaces an edit field's text.
    void Type(int controlId, std::wstring_view text);
    // Clicks a check box until it shows `ticked` (no click when it already does).
    void Tick(int controlId, bool ticked = true);
    // Clicks a button; Cancel (id 2) is the close request, as Windows delivers it.
    void Press(int controlId);
    // Escape or the close box.
    void Close();
    // Picks a combo box's choice; the behaviour hears it as a command of that control.
    void Pick(int controlId, int index);
    // Clicks a link: in a link control, the link to `address`; in a rich-edit control, a web address its text shows
    // (which it detects as a link).
    void ClickLink(int controlId, std::wstring_view address);
    // Clicks the link control's link number `index` (from 0, in the order the text shows them).
    void ClickNthLink(int controlId, std::size_t index);
    // The addresses of a link control's links, in order: what SysLink makes of its <a href="..."> markup (an <a>
    // without href links to "").
    std::vector<std::wstring> LinkAddresses(int controlId) const;
    // Delivers posts from workers in order, waiting for them, until the dialog ends.
    void RunUntilEnded();
    // Delivers the posts already there, without waiting.
    void DeliverPosts();

    // platform::DialogView
    platform::WindowHandle Window() const override { return window_; }
    std::wstring Text(int controlId) const override;
    void SetText(int controlId, std::wstring_view text) override;
    bool IsChecked(int controlId) const override;
    void SetChecked(int controlId, bool checked) override;
    void SetTextColour(int controlId, std::optional<platform::Rgb> colour) override;
    void SetEnabled(int controlId, bool enabled) override;
    void SetVisible(int controlId, bool visible) override;
    void SetChoices(int controlId, const std::vector<std::wstring>& choices) override;
    int Chosen(int controlId) const override;
    void Choose(int controlId, int index) override;
    void SetProgressRange(int controlId, std::uint32_t maximum) override;
    void SetProgress(int controlId, std::uint32_t position) override;
    void End(int result) override;

private:
    ControlState& Existing(int controlId);
    ControlState& Usable(int controlId, const char* act);
    void Apply(std::optional<int> result);

    platform::Dialog& dialog_;
    platform::WindowHandle window_;
    platform::WindowHandle owner_;
    std::map<int, ControlState> controls_;
    std::shared_ptr<SimDialogMailbox> mailbox_;
    std::optional<int> result_;
    std::optional<int> pendingEnd_;
};

}  // namespace sealwing::sim
