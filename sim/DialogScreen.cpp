#include "sim/DialogScreen.h"

#include <algorithm>
#include <stdexcept>

namespace sealwing::sim {
namespace {

using platform::ControlKind;

bool IsEditable(ControlKind kind) { return kind == ControlKind::Edit || kind == ControlKind::PasswordEdit; }

bool IsButton(ControlKind kind) { return kind == ControlKind::Button || kind == ControlKind::DefaultButton; }

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Where `word` starts in `text` at or after `from`, letters compared without regard to case, as SysLink reads tags.
std::size_t FindWord(std::wstring_view text, std::wstring_view word, std::size_t from) {
    for (std::size_t at = from; at + word.size() <= text.size(); ++at) {
        std::size_t matched = 0;
        while (matched < word.size() && Lower(text[at + matched]) == word[matched]) ++matched;
        if (matched == word.size()) return at;
    }
    return std::wstring_view::npos;
}

// The href of each <a ...> tag, as SysLink reads its markup: the attribute's quoted value, "" without one.
std::vector<std::wstring> HrefsOf(std::wstring_view markup) {
    std::vector<std::wstring> hrefs;
    std::size_t at = 0;
    while ((at = FindWord(markup, L"<a", at)) != std::wstring_view::npos) {
        const std::size_t after = at + 2;
        at = after;
        if (after >= markup.size() || (markup[after] != L'>' && markup[after] != L' ')) continue;
        const std::size_t close = markup.find(L'>', after);
        if (close == std::wstring_view::npos) break;
        const std::wstring_view tag = markup.substr(after, close - after);
        std::wstring href;
        if (const std::size_t name = FindWord(tag, L"href=", 0); name != std::wstring_view::npos &&
                                                                 name + 5 < tag.size() &&
                                                                 (tag[name + 5] == L'"' || tag[name + 5] == L'\'')) {
            const std::size_t start = name + 6;
            const std::size_t end = tag.find(tag[name + 5], start);
            if (end != std::wstring_view::npos) href = tag.substr(start, end - start);
        }
        hrefs.push_back(std::move(href));
        at = close + 1;
    }
    return hrefs;
}

}  // namespace

void SimDialogMailbox::Post(int message, std::intptr_t value) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        posts_.emplace_back(message, value);
    }
    posted_.notify_all();
}

std::optional<std::pair<int, std::intptr_t>> SimDialogMailbox::Take() {
    std::unique_lock lock(mutex_);
    posted_.wait(lock, [this] { return closed_ || !posts_.empty(); });
    if (posts_.empty()) return std::nullopt;
    auto post = posts_.front();
    posts_.pop_front();
    return post;
}

std::optional<std::pair<int, std::intptr_t>> SimDialogMailbox::TakeIfAny() {
    std::lock_guard lock(mutex_);
    if (posts_.empty()) return std::nullopt;
    auto post = posts_.front();
    posts_.pop_front();
    return post;
}

void SimDialogMailbox::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        posts_.clear();
    }
    posted_.notify_all();
}

DialogScreen::DialogScreen(platform::Dialog& dialog, platform::WindowHandle window, platform::WindowHandle owner)
    : dialog_(dialog), window_(window), owner_(owner), mailbox_(std::make_shared<SimDialogMailbox>()) {
    for (const platform::ControlTemplate& control : dialog.Template().controls) {
        if (control.id < 0) continue;
        controls_[control.id] = ControlState{.kind = control.kind, .text = std::wstring(control.text)};
    }
}

// Posts that come after the end are dropped, as they are on Windows once the window is gone.
DialogScreen::~DialogScreen() { mailbox_->Close(); }

const ControlState& DialogScreen::Control(int controlId) const {
    const auto found = controls_.find(controlId);
    if (found == controls_.end()) {
        throw std::logic_error("dialog " + std::to_string(TemplateId()) + " has no control " +
                               std::to_string(controlId));
    }
    return found->second;
}

ControlState& DialogScreen::Existing(int controlId) { return const_cast<ControlState&>(Control(controlId)); }

ControlState& DialogScreen::Usable(int controlId, const char* act) {
    if (Ended()) {
        throw std::logic_error(std::string("cannot ") + act + " in dialog " + std::to_string(TemplateId()) +
                               ": it has ended");
    }
    ControlState& control = Existing(controlId);
    if (!control.visible || !control.enabled) {
        throw std::logic_error(std::string("cannot ") + act + " control " + std::to_string(controlId) + " of dialog " +
                               std::to_string(TemplateId()) + ": it is hidden or disabled");
    }
    return control;
}

void DialogScreen::Apply(std::optional<int> result) {
    if (Ended()) return;
    if (result) {
        result_ = result;
    } else if (pendingEnd_) {
        result_ = pendingEnd_;
    }
    if (Ended()) mailbox_->Close();
}

void DialogScreen::Open() {
    dialog_.OnOpen(*this, mailbox_);
    Apply(std::nullopt);
}

void DialogScreen::Type(int controlId, std::wstring_view text) {
    ControlState& control = Usable(controlId, "type");
    if (!IsEditable(control.kind)) {
        throw std::logic_error("control " + std::to_string(controlId) + " is not an editable field");
    }
    control.text = text;
}

void DialogScreen::Tick(int controlId, bool ticked) {
    ControlState& control = Usable(controlId, "tick");
    if (control.kind != ControlKind::CheckBox) {
        throw std::logic_error("control " + std::to_string(controlId) + " is not a check box");
    }
    if (control.checked == ticked) return;
    control.checked = ticked;
    Apply(dialog_.OnCommand(*this, controlId));
}

void DialogScreen::Press(int controlId) {
    const ControlState& control = Usable(controlId, "press");
    if (!IsButton(control.kind)) {
        throw std::logic_error("control " + std::to_string(controlId) + " is not a button");
    }
    Apply(controlId == platform::kDialogCancel ? dialog_.OnClose(*this) : dialog_.OnCommand(*this, controlId));
}

void DialogScreen::Close() {
    if (Ended()) throw std::logic_error("cannot close dialog " + std::to_string(TemplateId()) + ": it has ended");
    Apply(dialog_.OnClose(*this));
}

void DialogScreen::Pick(int controlId, int index) {
    ControlState& control = Usable(controlId, "pick");
    if (control.kind != ControlKind::ComboBox || index < 0 || index >= static_cast<int>(control.choices.size())) {
        throw std::logic_error("control " + std::to_string(controlId) + " has no choice " + std::to_string(index));
    }
    control.chosen = index;
    Apply(dialog_.OnCommand(*this, controlId));
}

void DialogScreen::ClickLink(int controlId, std::wstring_view address) {
    const ControlState& control = Usable(controlId, "click a link");
    bool shown = false;
    if (control.kind == ControlKind::Link) {
        const std::vector<std::wstring> hrefs = HrefsOf(control.text);
        shown = std::find(hrefs.begin(), hrefs.end(), address) != hrefs.end();
    } else if (control.kind == ControlKind::RichEdit) {
        shown = !address.empty() && control.text.find(address) != std::wstring::npos;
    }
    if (!shown) throw std::logic_error("control " + std::to_string(controlId) + " shows no link to that address");
    dialog_.OnLink(*this, controlId, address);
    Apply(std::nullopt);
}

void DialogScreen::ClickNthLink(int controlId, std::size_t index) {
    Usable(controlId, "click a link");
    const std::vector<std::wstring> hrefs = LinkAddresses(controlId);
    if (index >= hrefs.size()) {
        throw std::logic_error("control " + std::to_string(controlId) + " has no link " + std::to_string(index));
    }
    dialog_.OnLink(*this, controlId, hrefs[index]);
    Apply(std::nullopt);
}

std::vector<std::wstring> DialogScreen::LinkAddresses(int controlId) const {
    const ControlState& control = Control(controlId);
    if (control.kind != ControlKind::Link) {
        throw std::logic_error("control " + std::to_string(controlId) + " is not a link control");
    }
    return HrefsOf(control.text);
}

void DialogScreen::RunUntilEnded() {
    while (!Ended()) {
        const auto post = mailbox_->Take();
        if (!post) break;
        Apply(dialog_.OnPosted(*this, post->first, post->second));
    }
}

void DialogScreen::DeliverPosts() {
    while (!Ended()) {
        const auto post = mailbox_->TakeIfAny();
        if (!post) break;
        Apply(dialog_.OnPosted(*this, post->first, post->second));
    }
}

std::wstring DialogScreen::Text(int controlId) const { return Control(controlId).text; }
void DialogScreen::SetText(int controlId, std::wstring_view text) { Existing(controlId).text = text; }
bool DialogScreen::IsChecked(int controlId) const { return Control(controlId).checked; }
void DialogScreen::SetChecked(int controlId, bool checked) { Existing(controlId).checked = checked; }
void DialogScreen::SetTextColour(int controlId, std::optional<platform::Rgb> colour) {
    Existing(controlId).colour = colour;
}
void DialogScreen::SetEnabled(int controlId, bool enabled) { Existing(controlId).enabled = enabled; }
void DialogScreen::SetVisible(int controlId, bool visible) { Existing(controlId).visible = visible; }

void DialogScreen::SetChoices(int controlId, const std::vector<std::wstring>& choices) {
    ControlState& control = Existing(controlId);
    control.choices = choices;
    control.chosen = -1;
}

int DialogScreen::Chosen(int controlId) const { return Control(controlId).chosen; }

void DialogScreen::Choose(int controlId, int index) {
    ControlState& control = Existing(controlId);
    control.chosen = index >= 0 && index < static_cast<int>(control.choices.size()) ? index : -1;
}

void DialogScreen::SetProgressRange(int controlId, std::uint32_t maximum) {
    Existing(controlId).progressMaximum = maximum;
}

void DialogScreen::SetProgress(int controlId, std::uint32_t position) { Existing(controlId).progress = position; }

void DialogScreen::End(int result) {
    if (!pendingEnd_) pendingEnd_ = result;
}

}  // namespace sealwing::sim
