#include "sim/SimCommandBars.h"

#include <algorithm>
#include <cwctype>
#include <utility>

#include "sim/SimCommandBar.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBarControls.h"
#include "sim/SimResults.h"

namespace sealwing::sim {
namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

}  // namespace

outlook::Ref<SimCommandBars> SimCommandBars::ForExplorer(std::weak_ptr<SimContext> context) {
    auto bars = std::make_shared<SimCommandBars>(std::move(context));
    bars->AddBuiltInBar(L"Menu Bar", {L"&File", L"&Edit", L"&View", L"&Go", L"&Tools", L"&Actions", L"&Help"});
    bars->AddBuiltInBar(L"Standard", {L"&New", L"&Print", L"Move to Folder", L"&Delete", L"&Reply", L"Reply to All",
                                      L"For&ward", L"Send/Re&ceive"});
    bars->AddBuiltInBar(L"Advanced", {L"Outlook Today", L"&Back", L"&Forward", L"&Up One Level"});
    return bars;
}

outlook::Ref<SimCommandBars> SimCommandBars::ForInspector(std::weak_ptr<SimContext> context) {
    auto bars = std::make_shared<SimCommandBars>(std::move(context));
    bars->AddBuiltInBar(L"Menu Bar",
                        {L"&File", L"&Edit", L"&View", L"&Insert", L"F&ormat", L"&Tools", L"&Actions", L"&Help"});
    bars->AddBuiltInBar(L"Standard", {L"&Send", L"&Save", L"Attach", L"&Print"});
    return bars;
}

outlook::Ref<SimCommandBars> SimCommandBars::ForWord(std::weak_ptr<SimContext> context) {
    auto bars = std::make_shared<SimCommandBars>(std::move(context));
    bars->AddBuiltInBar(L"Menu Bar", {L"&File", L"&Edit", L"&View", L"&Insert", L"F&ormat", L"&Tools", L"&Help"});
    bars->AddBuiltInBar(L"Standard", {L"&New Blank Document", L"&Open", L"&Save", L"&Print"});
    bars->AddBuiltInBar(L"E-mail", {L"&Send", L"Accounts", L"Options..."});
    return bars;
}

outlook::Ref<outlook::CommandBar> SimCommandBars::Item(const std::wstring& name) {
    Enter(L"CommandBars.Item");
    auto bar = Bar(name);
    if (!bar) throw outlook::ComError(outlook::hr::E_InvalidArg, result::kNoSuchBarText);
    return bar;
}

outlook::Ref<outlook::CommandBar> SimCommandBars::Add(const std::wstring& name, outlook::BarPosition position,
                                                      bool temporary) {
    Enter(L"CommandBars.Add");
    if (Bar(name)) throw outlook::ComError(outlook::hr::E_InvalidArg, result::kBarExistsText);
    auto bar = std::make_shared<SimCommandBar>(WeakContext(), name, position, temporary);
    bars_.push_back(bar);
    return bar;
}

outlook::Ref<SimCommandBar> SimCommandBars::Bar(const std::wstring& name) const {
    for (const auto& bar : bars_) {
        if (SameName(bar->CurrentName(), name)) return bar;
    }
    return nullptr;
}

std::vector<outlook::Ref<SimCommandBarControl>> SimCommandBars::ControlsTagged(const std::wstring& tag) const {
    std::vector<outlook::Ref<SimCommandBarControl>> found;
    for (const auto& bar : bars_) bar->ControlList()->CollectTagged(tag, found);
    return found;
}

outlook::Ref<SimCommandBarControl> SimCommandBars::FindControlByTag(const std::wstring& tag) const {
    const auto found = ControlsTagged(tag);
    return found.empty() ? nullptr : found.front();
}

std::size_t SimCommandBars::ControlCount() const {
    std::size_t count = 0;
    for (const auto& bar : bars_) count += bar->ControlList()->CountAll();
    return count;
}

void SimCommandBars::AddBuiltInBar(std::wstring name, std::initializer_list<const wchar_t*> buttons) {
    auto bar = std::make_shared<SimCommandBar>(WeakContext(), std::move(name), std::nullopt, std::nullopt);
    for (const wchar_t* caption : buttons) bar->ControlList()->AddBuiltIn(outlook::msoControlButton, caption);
    bars_.push_back(bar);
}

}  // namespace sealwing::sim
