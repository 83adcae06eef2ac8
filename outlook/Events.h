#pragma once

#include <string>

#include "outlook/Ref.h"

// Outlook's event interfaces. A sink overrides the events it handles; the others do nothing, as an event map that
// lists only some DISPIDs does. Each carries its interface id and the DISPIDs the Windows adapter dispatches on.
namespace sealwing::outlook {

class CommandBarControl;
class Explorer;
class Inspector;
class Object;

struct ApplicationEvents {  // ApplicationEvents_11
    static constexpr const wchar_t* kIid = L"{0006304E-0000-0000-C000-000000000046}";
    static constexpr long kQuit = 0xF007;
    static constexpr long kNewMailEx = 0xFAB5;
    virtual ~ApplicationEvents() = default;
    virtual void Quit() {}
    // The entry ids of the new items as one string (comma-separated in 2003, one per event from 2007).
    virtual void NewMailEx(const std::wstring& entryIds) { (void)entryIds; }
};

struct InspectorsEvents {
    static constexpr const wchar_t* kIid = L"{00063079-0000-0000-C000-000000000046}";
    static constexpr long kNewInspector = 0xF001;
    virtual ~InspectorsEvents() = default;
    virtual void NewInspector(const Ref<Inspector>& inspector) { (void)inspector; }
};

struct ExplorersEvents {
    static constexpr const wchar_t* kIid = L"{00063078-0000-0000-C000-000000000046}";
    static constexpr long kNewExplorer = 0xF001;
    virtual ~ExplorersEvents() = default;
    virtual void NewExplorer(const Ref<Explorer>& explorer) { (void)explorer; }
};

struct InspectorEvents {  // InspectorEvents_10
    static constexpr const wchar_t* kIid = L"{0006307D-0000-0000-C000-000000000046}";
    static constexpr long kActivate = 0xF001;
    static constexpr long kClose = 0xF008;
    virtual ~InspectorEvents() = default;
    virtual void Activate() {}
    virtual void Close() {}
};

struct ExplorerEvents {  // ExplorerEvents_10
    static constexpr const wchar_t* kIid = L"{0006304F-0000-0000-C000-000000000046}";
    static constexpr long kActivate = 0xF001;
    static constexpr long kSelectionChange = 0xF007;
    static constexpr long kClose = 0xF008;
    virtual ~ExplorerEvents() = default;
    virtual void Activate() {}
    virtual void SelectionChange() {}
    virtual void Close() {}
};

struct ItemEvents {  // ItemEvents_10
    static constexpr const wchar_t* kIid = L"{0006303A-0000-0000-C000-000000000046}";
    static constexpr long kReply = 0xF466;
    static constexpr long kReplyAll = 0xF467;
    static constexpr long kForward = 0xF468;
    virtual ~ItemEvents() = default;
    // The response item Outlook made; setting cancel stops Outlook's own action.
    virtual void Reply(const Ref<Object>& response, bool& cancel) {
        (void)response;
        (void)cancel;
    }
    virtual void ReplyAll(const Ref<Object>& response, bool& cancel) {
        (void)response;
        (void)cancel;
    }
    virtual void Forward(const Ref<Object>& forward, bool& cancel) {
        (void)forward;
        (void)cancel;
    }
};

struct CommandBarButtonEvents {  // _CommandBarButtonEvents
    static constexpr const wchar_t* kIid = L"{000C0351-0000-0000-C000-000000000046}";
    static constexpr long kClick = 1;
    virtual ~CommandBarButtonEvents() = default;
    // The button clicked; setting cancel stops Office's own action for it.
    virtual void Click(const Ref<CommandBarControl>& button, bool& cancel) {
        (void)button;
        (void)cancel;
    }
};

}  // namespace sealwing::outlook
