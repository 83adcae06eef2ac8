#pragma once

// Scoped COM types in the small, explicit style the add-in uses instead of ATL: an owned interface pointer, an owned
// BSTR and an owned VARIANT. Each releases what it holds exactly once; copying adds a reference or a copy.

#include <windows.h>
#include <oaidl.h>
#include <ole2.h>

#include <string>
#include <string_view>
#include <utility>

namespace sealwing::win32 {

// An owned reference to a COM interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Adds a reference to `raw`.
    explicit ComPtr(T* raw) : raw_(raw) {
        if (raw_ != nullptr) raw_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.raw_) {}
    ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller already owns (a COM out-parameter).
    static ComPtr Attach(T* raw) {
        ComPtr taken;
        taken.raw_ = raw;
        return taken;
    }
    // Gives up the reference without releasing it (returning through an out-parameter).
    T* Detach() { return std::exchange(raw_, nullptr); }

    void Reset() {
        if (raw_ != nullptr) std::exchange(raw_, nullptr)->Release();
    }
    // For an out-parameter: releases what is held first.
    T** Receive() {
        Reset();
        return &raw_;
    }
    T* Get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }

    // QueryInterface; an empty pointer when the object does not answer the interface.
    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> other;
        if (raw_ != nullptr) raw_->QueryInterface(iid, reinterpret_cast<void**>(other.Receive()));
        return other;
    }

private:
    T* raw_ = nullptr;
};

// An owned BSTR.
class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(std::wstring_view text)
        : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    ScopedBstr(ScopedBstr&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
    ScopedBstr& operator=(ScopedBstr&& other) noexcept {
        std::swap(bstr_, other.bstr_);
        return *this;
    }
    ~ScopedBstr() { SysFreeString(bstr_); }

    static ScopedBstr Attach(BSTR bstr) {
        ScopedBstr taken;
        taken.bstr_ = bstr;
        return taken;
    }
    BSTR Detach() { return std::exchange(bstr_, nullptr); }
    BSTR* Receive() {
        SysFreeString(std::exchange(bstr_, nullptr));
        return &bstr_;
    }
    BSTR Get() const { return bstr_; }
    // A null BSTR reads as the empty string, as COM defines it.
    std::wstring Text() const { return bstr_ != nullptr ? std::wstring(bstr_, SysStringLen(bstr_)) : std::wstring(); }

private:
    BSTR bstr_ = nullptr;
};

// An owned VARIANT, cleared on destruction.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ScopedVariant(ScopedVariant&& other) noexcept : ScopedVariant() { std::swap(value_, other.value_); }
    ScopedVariant& operator=(ScopedVariant&& other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }
    ~ScopedVariant() { VariantClear(&value_); }

    static ScopedVariant Int(LONG number) {
        ScopedVariant v;
        v.value_.vt = VT_I4;
        v.value_.lVal = number;
        return v;
    }
    static ScopedVariant Bool(bool flag) {
        ScopedVariant v;
        v.value_.vt = VT_BOOL;
        v.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static ScopedVariant Double(double number) {
        ScopedVariant v;
        v.value_.vt = VT_R8;
        v.value_.dblVal = number;
        return v;
    }
    static ScopedVariant Date(DATE when) {
        ScopedVariant v;
        v.value_.vt = VT_DATE;
        v.value_.date = when;
        return v;
    }
    static ScopedVariant String(std::wstring_view text) {
        ScopedVariant v;
        v.value_.vt = VT_BSTR;
        v.value_.bstrVal = ScopedBstr(text).Detach();
        return v;
    }
    // An optional argument left out: VT_ERROR with DISP_E_PARAMNOTFOUND, as automation passes one.
    static ScopedVariant Missing() {
        ScopedVariant v;
        v.value_.vt = VT_ERROR;
        v.value_.scode = DISP_E_PARAMNOTFOUND;
        return v;
    }
    // Adds a reference; a null object is VT_DISPATCH with a null pointer, as Outlook returns Nothing.
    static ScopedVariant Dispatch(IDispatch* object) {
        ScopedVariant v;
        v.value_.vt = VT_DISPATCH;
        v.value_.pdispVal = object;
        if (object != nullptr) object->AddRef();
        return v;
    }

    VARIANT* Get() { return &value_; }
    const VARIANT* Get() const { return &value_; }
    VARTYPE Type() const { return value_.vt; }
    // For an out-parameter: clears what is held first.
    VARIANT* Receive() {
        VariantClear(&value_);
        return &value_;
    }
    // Hands the value over to a caller-owned VARIANT, leaving this one empty.
    void DetachTo(VARIANT* target) {
        *target = value_;
        VariantInit(&value_);
    }

private:
    VARIANT value_;
};

// A GUID from its registry text ("{...}"); false when the text is not one.
inline bool GuidFromString(const wchar_t* text, GUID& guid) {
    return SUCCEEDED(IIDFromString(const_cast<LPOLESTR>(text), &guid));  // takes a non-const pointer, reads only
}

}  // namespace sealwing::win32
