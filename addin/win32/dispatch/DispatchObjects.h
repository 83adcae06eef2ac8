#pragma once

#include <windows.h>
#include <oaidl.h>

#include "addin/outlook/ObjectModel.h"
#include "addin/win32/dispatch/ComTypes.h"

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
// An item or folder of unknown kind: a MailItem when its Class says so (olMail), otherwise a plain Object that keeps
// the reference. An object without a readable Class is not an item and stays a plain Object.
Ref<outlook::Object> MakeItem(ComPtr<IDispatch> object);

// The member a kind of object does not serve through this adapter yet: E_NOTIMPL, naming it.
[[noreturn]] void NotServedYet(const wchar_t* member);

}  // namespace sealwing::outlook::win32
