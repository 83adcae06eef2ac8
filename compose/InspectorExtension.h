#pragma once

#include "diagnostics/Log.h"
#include "outlook/ObjectModel.h"
#include "outlook/SinkConnection.h"
#include "platform/WindowSystem.h"

namespace sealwing {

// The add-in's companion of one item window. Lives as long as its window; the add-in owns it. UI thread only.
class CInspectorExtension final : private outlook::InspectorEvents {
public:
    // What the extension needs of the add-in that owns it.
    class Owner {
    public:
        // 11 (2003), 12 (2007), 14 (2010).
        virtual int OutlookMajorVersion() const = 0;
        virtual void ForgetComposeWindow(platform::WindowHandle window) = 0;
        // The last call an extension whose window closed makes: the owner destroys it.
        virtual void ReleaseInspectorExtension(CInspectorExtension* extension) = 0;

    protected:
        ~Owner() = default;
    };

    explicit CInspectorExtension(Owner& owner);
    ~CInspectorExtension() override;
    CInspectorExtension(const CInspectorExtension&) = delete;
    CInspectorExtension& operator=(const CInspectorExtension&) = delete;

    // Takes the window's item and follows the window's events. ComError when Outlook fails.
    void Attach(const outlook::Ref<outlook::Inspector>& inspector);

    // The owner of this window's message boxes and dialogs.
    platform::WindowHandle OwnerWindow() const { return ownerWindow_; }
    const outlook::Ref<outlook::Inspector>& Inspector() const { return inspector_; }
    // The mail item shown; empty for other kinds of items.
    const outlook::Ref<outlook::MailItem>& Item() const { return item_; }
    const SinkConnection<outlook::InspectorEvents>& InspectorSink() const { return inspectorSink_; }

private:
    // InspectorEvents
    void Close() override;

    Owner& owner_;
    platform::WindowHandle ownerWindow_ = platform::kNoWindow;
    outlook::Ref<outlook::Inspector> inspector_;
    outlook::Ref<outlook::MailItem> item_;
    SinkConnection<outlook::InspectorEvents> inspectorSink_{&diagnostics::LogComException};
};

}  // namespace sealwing
