#include <string>
#include <utility>

#include "outlook/win32/dispatch/ButtonPictureMaker.h"
#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/dispatch/EventSinks.h"

// Office's command bars through IDispatch: the bars of a window, their controls, and the buttons' Click event.
// UI thread only.
namespace sealwing::outlook::win32 {
namespace {

// A picture as the VT_DISPATCH value Picture and Mask take.
ScopedVariant FacePicture(int resource, FaceResource kind) {
    const ButtonPictureMaker maker = InstalledButtonPictureMaker();
    if (maker == nullptr) throw ComError(E_NOTIMPL, L"SetFace: no picture maker is installed");
    IPictureDisp* made = nullptr;
    const HRESULT result = maker(resource, kind, &made);
    if (FAILED(result) || made == nullptr) {
        throw ComError(FAILED(result) ? result : E_POINTER,
                       L"SetFace: no picture of resource " + std::to_wstring(resource));
    }
    const auto picture = ComPtr<IPictureDisp>::Attach(made);
    return ScopedVariant::Dispatch(picture.Get());
}

class DispatchCommandBars final : public outlook::CommandBars {
public:
    explicit DispatchCommandBars(ComPtr<IDispatch> object) : client_(std::move(object), L"CommandBars") {}

    // Item is the collection's default member; a bar's name is a string index.
    Ref<CommandBar> Item(const std::wstring& name) override {
        const auto index = ScopedVariant::String(name);
        return MakeCommandBar(client_.GetObject(L"Item", {index.Get()}));
    }
    Ref<CommandBar> Add(const std::wstring& name, BarPosition position, bool temporary) override {
        const auto named = ScopedVariant::String(name);
        const auto where = ScopedVariant::Int(position);
        const auto menuBar = ScopedVariant::Missing();
        const auto kept = ScopedVariant::Bool(temporary);
        return MakeCommandBar(client_.CallObject(L"Add", {named.Get(), where.Get(), menuBar.Get(), kept.Get()}));
    }

private:
    DispatchClient client_;
};

class DispatchCommandBar final : public outlook::CommandBar {
public:
    explicit DispatchCommandBar(ComPtr<IDispatch> object) : client_(std::move(object), L"CommandBar") {}

    std::wstring Name() override { return client_.GetString(L"Name"); }
    Ref<CommandBarControls> Controls() override { return MakeCommandBarControls(client_.GetObject(L"Controls")); }
    void SetLeft(int left) override { client_.Put(L"Left", *ScopedVariant::Int(left).Get()); }
    void SetRowIndex(int row) override { client_.Put(L"RowIndex", *ScopedVariant::Int(row).Get()); }
    void SetVisible(bool visible) override { client_.Put(L"Visible", *ScopedVariant::Bool(visible).Get()); }

private:
    DispatchClient client_;
};

class DispatchCommandBarControls final : public outlook::CommandBarControls {
public:
    explicit DispatchCommandBarControls(ComPtr<IDispatch> object) : client_(std::move(object), L"CommandBarControls") {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<CommandBarControl> Item(int index) override {
        const auto at = ScopedVariant::Int(index);
        return MakeCommandBarControl(client_.GetObject(L"Item", {at.Get()}));
    }
    // Add(Type, Id, Parameter, Before, Temporary): Id is always left out, and so is each placement not given.
    Ref<CommandBarControl> Add(ControlType type, const ControlPlacement& placement) override {
        const auto kind = ScopedVariant::Int(type);
        const auto id = ScopedVariant::Missing();
        const auto parameter =
            placement.parameter ? ScopedVariant::String(*placement.parameter) : ScopedVariant::Missing();
        const auto before = placement.before ? ScopedVariant::Int(*placement.before) : ScopedVariant::Missing();
        const auto temporary =
            placement.temporary ? ScopedVariant::Bool(*placement.temporary) : ScopedVariant::Missing();
        return MakeCommandBarControl(
            client_.CallObject(L"Add", {kind.Get(), id.Get(), parameter.Get(), before.Get(), temporary.Get()}));
    }

private:
    DispatchClient client_;
};

// Buttons and popups share the control's members at the same DISPIDs; a member of the other kind is not found on
// the object, and a failed lookup is never cached.
class DispatchCommandBarControl final : public outlook::CommandBarControl {
public:
    explicit DispatchCommandBarControl(ComPtr<IDispatch> object)
        : client_(std::move(object), L"CommandBarControl"), events_(client_.Raw()) {}

    std::wstring Tag() override { return client_.GetString(L"Tag"); }
    void SetTag(const std::wstring& tag) override { client_.Put(L"Tag", *ScopedVariant::String(tag).Get()); }
    std::wstring Caption() override { return client_.GetString(L"Caption"); }
    void SetCaption(const std::wstring& caption) override {
        client_.Put(L"Caption", *ScopedVariant::String(caption).Get());
    }
    void SetTooltipText(const std::wstring& text) override {
        client_.Put(L"TooltipText", *ScopedVariant::String(text).Get());
    }
    void SetBeginGroup(bool begins) override { client_.Put(L"BeginGroup", *ScopedVariant::Bool(begins).Get()); }
    void Delete() override { client_.Call(L"Delete"); }
    void SetStyle(ButtonStyle style) override { client_.Put(L"Style", *ScopedVariant::Int(style).Get()); }
    // Both pictures are made before either is put, so a face that cannot be made leaves the button as it was.
    void SetFace(int imageResource, int maskResource) override {
        const ScopedVariant picture = FacePicture(imageResource, FaceResource::kImage);
        const ScopedVariant mask = FacePicture(maskResource, FaceResource::kBitmap);
        client_.Put(L"Picture", *picture.Get());
        client_.Put(L"Mask", *mask.Get());
    }
    ConnectionPoint<CommandBarButtonEvents>& Events() override { return events_; }
    Ref<CommandBarControls> Controls() override { return MakeCommandBarControls(client_.GetObject(L"Controls")); }

private:
    DispatchClient client_;
    DispatchConnectionPoint<CommandBarButtonEvents> events_;
};

}  // namespace

Ref<outlook::CommandBars> MakeCommandBars(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchCommandBars>(std::move(object));
}

Ref<outlook::CommandBar> MakeCommandBar(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchCommandBar>(std::move(object));
}

Ref<outlook::CommandBarControls> MakeCommandBarControls(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchCommandBarControls>(std::move(object));
}

Ref<outlook::CommandBarControl> MakeCommandBarControl(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchCommandBarControl>(std::move(object));
}

}  // namespace sealwing::outlook::win32
