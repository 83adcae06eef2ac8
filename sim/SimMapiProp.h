#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "outlook/Mapi.h"
#include "sim/NamedPropertyMap.h"
#include "sim/PropertyBag.h"
#include "sim/SimObject.h"
#include "sim/SimResults.h"
#include "sim/SimStream.h"

namespace sealwing::sim {

// The IMAPIProp part shared by every simulated MAPI object. Each call passes the member gate as
// "<Interface>.<Call>" ("Message.GetProps") and reports its failure as an HRESULT. A concrete object says how it
// reads a property, where written properties go, which it computes itself, and which store names its named
// properties.
template <class Base>
class SimMapiProp : public Base, protected SimObject {
public:
    outlook::HResult GetProps(const std::vector<outlook::mapi::PropTag>& tags,
                              std::vector<outlook::mapi::PropValue>& values) override {
        std::shared_ptr<SimContext> context;
        values.clear();
        if (const auto failed = EnterMapi(interface_ + L".GetProps", context); failed != outlook::hr::S_Ok) {
            return failed;
        }
        return PropertyBag::GetProps(tags, values, [this](outlook::mapi::PropTag tag) { return Read(tag); });
    }

    outlook::HResult GetIDsFromNames(const std::vector<outlook::mapi::NamedProperty>& names, bool create,
                                     std::vector<outlook::mapi::PropTag>& tags) override {
        std::shared_ptr<SimContext> context;
        tags.clear();
        if (const auto failed = EnterMapi(interface_ + L".GetIDsFromNames", context); failed != outlook::hr::S_Ok) {
            return failed;
        }
        NamedPropertyMap* map = Names();
        if (map == nullptr) return result::kMapiNoSupport;
        return map->GetIDsFromNames(names, create, tags);
    }

    outlook::HResult SetProps(const std::vector<outlook::mapi::PropValue>& values) override {
        std::shared_ptr<SimContext> context;
        if (const auto failed = EnterMapi(interface_ + L".SetProps", context); failed != outlook::hr::S_Ok) {
            return failed;
        }
        PropertyBag* bag = Writable();
        if (bag == nullptr) return result::kMapiNoSupport;
        const outlook::HResult result =
            bag->SetProps(values, [this](outlook::mapi::PropTag tag) { return Computed(tag); });
        if (outlook::Succeeded(result)) Changed();
        return result;
    }

    outlook::HResult SaveChanges() override {
        std::shared_ptr<SimContext> context;
        if (const auto failed = EnterMapi(interface_ + L".SaveChanges", context); failed != outlook::hr::S_Ok) {
            return failed;
        }
        return Commit();
    }

    outlook::HResult OpenStream(outlook::mapi::PropTag tag, outlook::Ref<outlook::mapi::Stream>& stream) override {
        std::shared_ptr<SimContext> context;
        stream.reset();
        if (const auto failed = EnterMapi(interface_ + L".OpenProperty", context); failed != outlook::hr::S_Ok) {
            return failed;
        }
        return OpenStreamOn(tag, stream);
    }

protected:
    SimMapiProp(std::weak_ptr<SimContext> context, std::wstring interfaceName)
        : SimObject(std::move(context)), interface_(std::move(interfaceName)) {}

    // One property by id, whatever its type; nothing when absent.
    virtual std::optional<outlook::mapi::PropValue> Read(outlook::mapi::PropTag tag) = 0;
    // Where SetProps writes; nullptr: read-only object.
    virtual PropertyBag* Writable() { return nullptr; }
    // Properties the object computes itself: SetProps leaves them alone and reports a problem.
    virtual bool Computed(outlook::mapi::PropTag tag) {
        (void)tag;
        return false;
    }
    // The store's named-property map; nullptr: GetIDsFromNames is not supported.
    virtual NamedPropertyMap* Names() { return nullptr; }
    // After a successful SetProps.
    virtual void Changed() {}
    virtual outlook::HResult Commit() { return outlook::hr::S_Ok; }
    // OpenStream's work: a binary property as a stream over a copy of its bytes; MAPI_E_NOT_FOUND when absent, and
    // MAPI_E_NO_SUPPORT for a property of another type.
    virtual outlook::HResult OpenStreamOn(outlook::mapi::PropTag tag, outlook::Ref<outlook::mapi::Stream>& stream) {
        const std::optional<outlook::mapi::PropValue> value = Read(tag);
        if (!value) return outlook::hr::Mapi_E_NotFound;
        const auto* bytes = std::get_if<outlook::mapi::Binary>(&value->data);
        if (bytes == nullptr) return result::kMapiNoSupport;
        stream = std::make_shared<SimStream>(
            WeakContext(), std::make_shared<const std::string>(bytes->begin(), bytes->end()), StreamBehaviour{});
        return outlook::hr::S_Ok;
    }

    const std::wstring& InterfaceName() const { return interface_; }

private:
    std::wstring interface_;
};

}  // namespace sealwing::sim
