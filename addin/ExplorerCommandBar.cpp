#include "addin/ExplorerCommandBar.h"

#include "diagnostics/Log.h"
#include "platform/Platform.h"

namespace sealwing {
namespace {

outlook::Ref<outlook::CommandBarControl> AddControl(const outlook::Ref<outlook::CommandBarControls>& controls,
                                                    outlook::ControlType type) {
    return outlook::Required(controls->Add(type, outlook::ControlPlacement{}), L"CommandBarControls.Add");
}

}  // namespace

void BuildCommandBar(CExplorerExtension& extension, int outlookMajorVersion) {
    platform::AssertUiThread(__func__);
    if (extension.CommandBarBuilt() || outlookMajorVersion >= 14) return;
    try {
        const auto bars = outlook::Required(extension.Explorer()->CommandBars(), L"Explorer.CommandBars");
        auto bar = outlook::Required(bars->Add(L"Parcelon", outlook::msoBarTop, true), L"CommandBars.Add");
        const auto popup =
            AddControl(outlook::Required(bar->Controls(), L"CommandBar.Controls"), outlook::msoControlPopup);
        const auto items = outlook::Required(popup->Controls(), L"CommandBarPopup.Controls");
        auto configuration = AddControl(items, outlook::msoControlButton);
        auto about = AddControl(items, outlook::msoControlButton);
        popup->SetCaption(L"Parcelon");
        configuration->SetCaption(L"Configuration");
        about->SetCaption(L"About");
        bar->SetLeft(100);
        bar->SetRowIndex(2);
        bar->SetVisible(true);
        extension.AdoptCommandBar(std::move(bar), std::move(configuration), std::move(about));
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

}  // namespace sealwing
