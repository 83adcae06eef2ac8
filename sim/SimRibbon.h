#pragma once

#include <map>
#include <string>
#include <vector>

#include "outlook/Ribbon.h"
#include "platform/WindowSystem.h"

namespace sealwing::sim {

// Office's side of an add-in's ribbons: when it asks for each ribbon's XML and what a click on a control of it
// calls. Office 2010 (14) asks for the main window's ribbon as the add-in connects; 2007 and 2010 ask for an item
// window's ribbon (Compose for a message being written, Read for one received or sent) when the first window of that
// kind shows, or as the add-in connects while one shows. Each ribbon is asked for once per connection; Outlook 2003
// has no ribbon. UI thread only.
class SimRibbon {
public:
    static constexpr const wchar_t* kExplorer = L"Microsoft.Outlook.Explorer";
    static constexpr const wchar_t* kCompose = L"Microsoft.Outlook.Mail.Compose";
    static constexpr const wchar_t* kRead = L"Microsoft.Outlook.Mail.Read";

    explicit SimRibbon(int majorVersion) : majorVersion_(majorVersion) {}

    // A new connection (nullptr: none): what was asked before is forgotten. `shownItemRibbons` are the ribbons of the
    // item windows showing now.
    void Connect(outlook::RibbonExtensibility* addin, const std::vector<std::wstring>& shownItemRibbons);
    // An item window with that ribbon shows.
    void ItemWindowShown(const std::wstring& ribbonId);

    // Whether the version gives main windows and item windows a ribbon.
    bool ExplorersHaveRibbon() const;
    bool InspectorsHaveRibbon() const;
    static const wchar_t* ItemRibbonId(bool sent) { return sent ? kRead : kCompose; }

    // Calls the onAction of the control `controlId` in the ribbon's XML for a control in `window`: true when the
    // add-in ran it, false when nothing is connected, the ribbon was never asked for, the XML has no such control or
    // the control has no onAction, the add-in does not know the callback or the callback threw.
    bool Click(const std::wstring& ribbonId, platform::WindowHandle window, const std::wstring& controlId);

    // Every ribbon asked for, in order, over all connections.
    const std::vector<std::wstring>& Requests() const { return requests_; }

private:
    void Ask(const std::wstring& ribbonId);

    const int majorVersion_;
    outlook::RibbonExtensibility* addin_ = nullptr;
    std::map<std::wstring, std::wstring> xml_;  // of this connection, by ribbon id
    std::vector<std::wstring> requests_;
};

}  // namespace sealwing::sim
