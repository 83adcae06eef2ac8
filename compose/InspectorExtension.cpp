#include "compose/InspectorExtension.h"

#include "diagnostics/Log.h"
#include "platform/Platform.h"

namespace sealwing {
namespace {}  // namespace

CInspectorExtension::CInspectorExtension(Owner& owner) : owner_(owner) {}

CInspectorExtension::~CInspectorExtension() = default;

void CInspectorExtension::Attach(const outlook::Ref<outlook::Inspector>& inspector) {
    platform::AssertUiThread(__func__);
    inspector_ = inspector;
    item_ = std::dynamic_pointer_cast<outlook::MailItem>(inspector->CurrentItem());
    ownerWindow_ = inspector->Window();
    // Every window is followed, mail or not, so that its close always takes it out of the add-in's lists.
    inspectorSink_.Connect(inspector, static_cast<outlook::InspectorEvents&>(*this));
}

void CInspectorExtension::Close() {
    {
        diagnostics::LogScope scope(L"Inspector is being closed");
        inspectorSink_.Disconnect();
        item_.reset();
        if (owner_.OutlookMajorVersion() > 11) owner_.ForgetComposeWindow(ownerWindow_);
    }
    owner_.ReleaseInspectorExtension(this);  // destroys this extension: nothing may follow
}

}  // namespace sealwing
