#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "outlook/ComError.h"
#include "outlook/win32/dispatch/ComTypes.h"
#include "platform/WindowSystem.h"

namespace sealwing::outlook::win32 {

using sealwing::win32::ComPtr;
using sealwing::win32::ScopedBstr;
using sealwing::win32::ScopedVariant;

// Late-bound calls on one object-model object through its IDispatch. A member's DISPID is resolved once with
// GetIDsOfNames and cached for the object's type name ("Inspector", "MailItem", ...): Outlook's DISPIDs are fixed
// per interface, so every object of a type shares them. Every failure throws ComError with the server's code and
// description. UI thread only (the cache is not locked, and Outlook's objects live on that thread).
class DispatchClient {
public:
    DispatchClient(ComPtr<IDispatch> object, const wchar_t* typeName);

    // Arguments are given in the member's order; they are passed reversed, as IDispatch::Invoke expects.
    ScopedVariant Get(const wchar_t* member, std::initializer_list<const VARIANT*> arguments = {}) const;
    ScopedVariant Call(const wchar_t* member, std::initializer_list<const VARIANT*> arguments = {}) const;
    void Put(const wchar_t* member, const VARIANT& value) const;

    // Property reads checked for the expected type (converted the way VariantChangeType converts; an object where a
    // value is expected, or the reverse, is DISP_E_TYPEMISMATCH).
    std::wstring GetString(const wchar_t* member) const;
    std::int32_t GetInt(const wchar_t* member) const;
    bool GetBool(const wchar_t* member) const;
    // A date (VT_DATE) as its automation-date number.
    double GetDate(const wchar_t* member) const;
    // Nothing (an empty pointer) when Outlook returned Nothing.
    ComPtr<IDispatch> GetObject(const wchar_t* member, std::initializer_list<const VARIANT*> arguments = {}) const;
    // A method's object result; nothing when Outlook returned Nothing.
    ComPtr<IDispatch> CallObject(const wchar_t* member, std::initializer_list<const VARIANT*> arguments = {}) const;
    // An object read as its IUnknown (MAPIOBJECT); nothing when Outlook returned Nothing.
    ComPtr<IUnknown> GetUnknown(const wchar_t* member) const;

    // The frame window through IOleWindow::GetWindow.
    platform::WindowHandle Window() const;

    IDispatch* Raw() const { return object_.Get(); }
    const wchar_t* TypeName() const { return typeName_; }

    // Conversions of a result, shared with the event sinks.
    static std::wstring AsString(ScopedVariant value, const wchar_t* what);
    static std::int32_t AsInt(ScopedVariant value, const wchar_t* what);
    static bool AsBool(ScopedVariant value, const wchar_t* what);
    static ComPtr<IDispatch> AsObject(const VARIANT& value, const wchar_t* what);

private:
    DISPID Resolve(const wchar_t* member) const;
    ScopedVariant Invoke(const wchar_t* member, WORD flags, std::initializer_list<const VARIANT*> arguments) const;

    ComPtr<IDispatch> object_;
    const wchar_t* typeName_;
};

}  // namespace sealwing::outlook::win32
