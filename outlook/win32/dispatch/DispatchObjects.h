#pragma once

#include <windows.h>
#include <oaidl.h>

#include "outlook/ObjectModel.h"
#include "outlook/win32/dispatch/ComTypes.h"

// The object-model adapter's factories: each wraps an Outlook object's IDispatch in the host interface of its kind.
// UI thread only, like every object they make.
namespace sealwing::outlook::win32 {

using sealwing::win32::ComPtr;

// Nothing for a null object.
Ref<outlook::Application> MakeApplication(ComPtr<IDispatch> object);
Ref<outlook::NameSpace> MakeNameSpace(ComPtr<IDispatch> object);
Ref<outlook::Explorers> MakeExplorers(ComPtr<IDispatch> object);
Ref<outlook::Explorer> MakeExplorer(ComPtr<IDispatch> object);
Ref<outlook::Inspectors> MakeInspectors(ComPtr<IDispatch> object);
Ref<outlook::Inspector> MakeInspector(ComPtr<IDispatch> object);
Ref<outlook::MailItem> MakeMailItem(ComPtr<IDispatch> object);
Ref<outlook::COMAddIns> MakeCOMAddIns(ComPtr<IDispatch> object);
Ref<outlook::COMAddIn> MakeCOMAddIn(ComPtr<IDispatch> object);
Ref<outlook::Recipients> MakeRecipients(ComPtr<IDispatch> object);
Ref<outlook::Recipient> MakeRecipient(ComPtr<IDispatch> object);
Ref<outlook::AddressEntry> MakeAddressEntry(ComPtr<IDispatch> object);
Ref<outlook::ExchangeUser> MakeExchangeUser(ComPtr<IDispatch> object);
Ref<outlook::Accounts> MakeAccounts(ComPtr<IDispatch> object);
Ref<outlook::Account> MakeAccount(ComPtr<IDispatch> object);
Ref<outlook::Store> MakeStore(ComPtr<IDispatch> object);
Ref<outlook::MAPIFolder> MakeFolder(ComPtr<IDispatch> object);
Ref<outlook::UserProperties> MakeUserProperties(ComPtr<IDispatch> object);
Ref<outlook::UserProperty> MakeUserProperty(ComPtr<IDispatch> object);
Ref<outlook::Attachments> MakeAttachments(ComPtr<IDispatch> object);
Ref<outlook::Attachment> MakeAttachment(ComPtr<IDispatch> object);
Ref<outlook::Selection> MakeSelection(ComPtr<IDispatch> object);
Ref<outlook::CommandBars> MakeCommandBars(ComPtr<IDispatch> object);
Ref<outlook::CommandBar> MakeCommandBar(ComPtr<IDispatch> object);
Ref<outlook::CommandBarControls> MakeCommandBarControls(ComPtr<IDispatch> object);
// A button or a popup.
Ref<outlook::CommandBarControl> MakeCommandBarControl(ComPtr<IDispatch> object);
// An item or folder of unknown kind: a MailItem or a MAPIFolder when its Class says so (olMail, olFolder), otherwise
// a plain Object that keeps the reference. An object without a readable Class stays a plain Object.
Ref<outlook::Object> MakeItem(ComPtr<IDispatch> object);

// An item this adapter made, as the VT_DISPATCH argument Outlook takes it back in (a reference added); a null
// dispatch for nothing or for an object another implementation made.
sealwing::win32::ScopedVariant VariantOfItem(const Ref<outlook::Object>& item);

// A VARIANT as the host interface's Variant (numbers of any width as 32-bit integers, dates and reals as doubles),
// and back; a VARIANT of another kind is DISP_E_TYPEMISMATCH.
outlook::Variant VariantFrom(const VARIANT& value);
sealwing::win32::ScopedVariant ToVariant(const outlook::Variant& value);

}  // namespace sealwing::outlook::win32
