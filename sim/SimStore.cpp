#include "sim/SimStore.h"

#include <atomic>
#include <utility>

#include "sim/EntryId.h"
#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "sim/SimProps.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

namespace {

// The store provider's identity in a store entry id (the wrapped-store part real stores carry).
constexpr mapi::Guid kProviderIdentity = {0x53, 0x49, 0x4D, 0x53, 0x54, 0x4F, 0x52, 0x45,
                                          0x50, 0x52, 0x4F, 0x56, 0x49, 0x44, 0x45, 0x52};

mapi::Guid NextStoreIdentity() {
    static std::atomic<std::uint32_t> counter{0};
    const std::uint32_t serial = ++counter;
    mapi::Guid identity = {0x51, 0x5C, 0x0A, 0x7E, 0x00, 0x00, 0x00, 0x00,
                           0x8E, 0x31, 0x5E, 0x11, 0x00, 0x00, 0x00, 0x00};
    for (int i = 0; i < 4; ++i)
        identity[static_cast<std::size_t>(12 + i)] = static_cast<std::uint8_t>(serial >> (8 * i));
    return identity;
}

struct DefaultFolderInfo {
    outlook::DefaultFolder kind;
    const wchar_t* name;
};

constexpr DefaultFolderInfo kDefaultFolders[] = {
    {outlook::olFolderDeletedItems, L"Deleted Items"},
    {outlook::olFolderOutbox, L"Outbox"},
    {outlook::olFolderSentMail, L"Sent Items"},
    {outlook::olFolderInbox, L"Inbox"},
    {outlook::olFolderDrafts, L"Drafts"},
};

}  // namespace

outlook::Ref<SimStore> SimStore::Create(std::weak_ptr<SimContext> context, std::wstring displayName) {
    auto store = std::make_shared<SimStore>(context, std::move(displayName), NextStoreIdentity());
    for (const auto& folder : kDefaultFolders) {
        store->folders_.push_back(
            std::make_shared<SimFolder>(context, store, folder.kind, folder.name, store->NewEntryId()));
    }
    return store;
}

SimStore::SimStore(std::weak_ptr<SimContext> context, std::wstring displayName, mapi::Guid identity)
    : SimObject(std::move(context)), displayName_(std::move(displayName)), identity_(identity) {
    entryId_ = EntryId::Make(kProviderIdentity, 0);
    entryId_.insert(entryId_.end(), identity_.begin(), identity_.end());
    props_.SetText(prop::PR_DISPLAY_NAME_W, displayName_);
}

std::wstring SimStore::DisplayName() {
    Enter(L"Store.DisplayName");
    return displayName_;
}

outlook::Ref<outlook::MAPIFolder> SimStore::GetDefaultFolder(outlook::DefaultFolder folder) {
    Enter(L"Store.GetDefaultFolder");
    auto found = Folder(folder);
    if (!found) throw outlook::ComError(outlook::hr::E_InvalidArg, result::kInvalidArgText);
    return found;
}

outlook::Ref<SimFolder> SimStore::Folder(outlook::DefaultFolder folder) const {
    for (const auto& candidate : folders_) {
        if (candidate->Kind() == folder) return candidate;
    }
    return nullptr;
}

std::wstring SimStore::StoreId() const { return EntryId::ToHex(entryId_); }

mapi::Binary SimStore::NewEntryId() { return EntryId::Make(identity_, nextSerial_++); }

outlook::Ref<SimFolder> SimStore::FindFolder(const mapi::Binary& entryId) const {
    for (const auto& folder : folders_) {
        if (folder->EntryIdBytes() == entryId) return folder;
    }
    return nullptr;
}

outlook::Ref<SimMailItem> SimStore::FindItem(const mapi::Binary& entryId) const {
    for (const auto& folder : folders_) {
        for (const auto& item : folder->Items()) {
            if (item->EntryIdBytes() == entryId) return item;
        }
    }
    return nullptr;
}

}  // namespace sealwing::sim
