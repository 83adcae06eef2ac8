#include "sim/SimRibbon.h"

#include "sim/AddinCallback.h"
#include "sim/RibbonXml.h"

namespace sealwing::sim {
namespace {

constexpr int kFirstVersionWithItemRibbons = 12;
constexpr int kFirstVersionWithMainRibbon = 14;

}  // namespace

void SimRibbon::Connect(outlook::RibbonExtensibility* addin, const std::vector<std::wstring>& shownItemRibbons) {
    addin_ = addin;
    xml_.clear();
    if (addin_ == nullptr) return;
    if (ExplorersHaveRibbon()) Ask(kExplorer);
    for (const auto& ribbonId : shownItemRibbons) ItemWindowShown(ribbonId);
}

void SimRibbon::ItemWindowShown(const std::wstring& ribbonId) {
    if (addin_ != nullptr && InspectorsHaveRibbon() && xml_.count(ribbonId) == 0) Ask(ribbonId);
}

bool SimRibbon::ExplorersHaveRibbon() const { return majorVersion_ >= kFirstVersionWithMainRibbon; }

bool SimRibbon::InspectorsHaveRibbon() const { return majorVersion_ >= kFirstVersionWithItemRibbons; }

bool SimRibbon::Click(const std::wstring& ribbonId, platform::WindowHandle window, const std::wstring& controlId) {
    if (addin_ == nullptr) return false;
    const auto xml = xml_.find(ribbonId);
    if (xml == xml_.end()) return false;
    const auto element = RibbonElementWithId(xml->second, controlId);
    if (!element) return false;
    const auto onAction = element->find(L"onAction");
    if (onAction == element->end() || onAction->second.empty()) return false;
    const std::wstring callback = onAction->second;  // the XML may go while the callback runs
    bool ran = false;
    outlook::RibbonExtensibility* addin = addin_;
    RunAddinCallback(L"RibbonCallback." + callback, [&] { ran = addin->InvokeRibbonCallback(callback, window); });
    return ran;
}

void SimRibbon::Ask(const std::wstring& ribbonId) {
    requests_.push_back(ribbonId);
    xml_[ribbonId];  // asked once, even when the add-in fails to answer
    std::wstring xml;
    outlook::RibbonExtensibility* addin = addin_;
    if (RunAddinCallback(L"RibbonExtensibility.GetCustomUI", [&] { xml = addin->GetCustomUI(ribbonId); })) {
        xml_[ribbonId] = std::move(xml);
    }
}

}  // namespace sealwing::sim
