#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "outlook/Events.h"
#include "outlook/win32/dispatch/ComTypes.h"

namespace sealwing::sim::win32 {

using sealwing::win32::ComPtr;

// A C++ sink on a simulated connection point that passes each event on to the DLL's dispatch sink as
// IDispatch::Invoke with Outlook's DISPIDs and arguments. One class serves every event interface: their DISPIDs never
// clash within one interface, and the window interfaces share Activate and Close with the same DISPIDs.
class EventForwarder final : public outlook::ApplicationEvents,
                             public outlook::InspectorsEvents,
                             public outlook::ExplorersEvents,
                             public outlook::InspectorEvents,
                             public outlook::ExplorerEvents,
                             public outlook::ItemEvents,
                             public outlook::CommandBarButtonEvents {
public:
    EventForwarder(ComPtr<IDispatch> sink, std::wstring interfaceName)
        : sink_(std::move(sink)), interfaceName_(std::move(interfaceName)) {}

    // After Unadvise: no further event reaches the DLL, and its sink is no longer held.
    void DropSink() { sink_.Reset(); }

    void Quit() override;
    void NewMailEx(const std::wstring& entryIds) override;
    void NewInspector(const outlook::Ref<outlook::Inspector>& inspector) override;
    void NewExplorer(const outlook::Ref<outlook::Explorer>& explorer) override;
    void Activate() override;
    void SelectionChange() override;
    void Close() override;
    void Reply(const outlook::Ref<outlook::Object>& response, bool& cancel) override;
    void ReplyAll(const outlook::Ref<outlook::Object>& response, bool& cancel) override;
    void Forward(const outlook::Ref<outlook::Object>& forward, bool& cancel) override;
    void Click(const outlook::Ref<outlook::CommandBarControl>& button, bool& cancel) override;

private:
    // Arguments in the member's order.
    void Fire(long id, const wchar_t* event, std::vector<VARIANT> arguments);
    void FireWithCancel(long id, const wchar_t* event, const outlook::Ref<outlook::Object>& item, bool& cancel);

    ComPtr<IDispatch> sink_;
    std::wstring interfaceName_;
};

// Events the DLL's sinks failed (DISP_E_EXCEPTION or another failure), as "Interface.Event: 0x... description";
// the harness reports them and fails the scenario.
std::vector<std::wstring>& EventFailures();

}  // namespace sealwing::sim::win32
