#include "compose/AttachmentReader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <utility>

#include "diagnostics/Log.h"
#include "outlook/Mapi.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/SafeFileName.h"
#include "platform/Text.h"

namespace sealwing::compose {
namespace {

namespace mapi = outlook::mapi;
using service::OutgoingAttachment;

// Reads larger than this gain nothing and keep a slow store's read from holding the UI thread in one call.
constexpr std::uint32_t kReadChunk = 1u << 20;

void LogLeftOut(const std::wstring& fileName, const std::wstring& reason) {
    diagnostics::LogWrite(L"[ERROR] Attachment \"" + fileName + L"\" is left out: " + reason + L"\n");
}

std::wstring HexOf(outlook::HResult result) { return platform::HexW(static_cast<std::uint32_t>(result)); }

// The attachment's data as a stream: the file's bytes, or an embedded OLE object's storage.
outlook::Ref<mapi::Stream> OpenDataStream(mapi::Prop& attachment) {
    for (const mapi::PropTag tag : {mapi::PR_ATTACH_DATA_BIN, mapi::PR_ATTACH_DATA_OBJ}) {
        outlook::Ref<mapi::Stream> stream;
        if (outlook::Succeeded(attachment.OpenStream(tag, stream)) && stream) return stream;
    }
    return nullptr;
}

// The whole stream into `bytes`, read after read; false (and nothing kept) when it fails or ends short of its size.
bool ReadWhole(mapi::Stream& stream, OutgoingAttachment& attachment) {
    std::uint64_t size = 0;
    if (const outlook::HResult stat = stream.Size(size); outlook::Failed(stat)) {
        LogLeftOut(attachment.fileName, L"its size cannot be read (" + HexOf(stat) + L")");
        return false;
    }
    if (size > attachment.bytes.max_size() || size > std::numeric_limits<std::size_t>::max()) {
        LogLeftOut(attachment.fileName, L"it is too large to hold (" + std::to_wstring(size) + L" bytes)");
        return false;
    }
    try {
        attachment.bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        LogLeftOut(attachment.fileName, L"there is no memory for its " + std::to_wstring(size) + L" bytes");
        return false;
    }
    std::uint64_t arrived = 0;
    while (arrived < size) {
        const auto ask = static_cast<std::uint32_t>(std::min<std::uint64_t>(size - arrived, kReadChunk));
        std::uint32_t got = 0;
        const outlook::HResult read =
            stream.Read(reinterpret_cast<std::uint8_t*>(attachment.bytes.data()) + arrived, ask, got);
        if (outlook::Failed(read) || got == 0 || got > ask) {
            attachment.bytes = {};
            LogLeftOut(attachment.fileName, outlook::Failed(read)
                                                ? L"reading its data failed with " + HexOf(read)
                                                : L"its data ended after " + std::to_wstring(arrived) + L" of " +
                                                      std::to_wstring(size) + L" bytes");
            return false;
        }
        arrived += got;
    }
    return true;
}

// A file in the scratch folder that is deleted when this goes, whatever happened in between (a failed save may have
// left part of it).
class ScratchFile {
public:
    explicit ScratchFile(std::wstring path) : path_(std::move(path)) {}
    ~ScratchFile() {
        if (!platform::Files().DeleteFile(path_) && written_) {
            diagnostics::LogWrite(L"[ERROR] Cannot delete the scratch file " + path_ + L"\n");
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::wstring& Path() const { return path_; }
    void MarkWritten() { written_ = true; }

private:
    std::wstring path_;
    bool written_ = false;
};

// The scratch folder, made when missing; empty when it cannot be.
std::wstring ScratchFolder() {
    auto& files = platform::Files();
    const std::wstring local = files.KnownFolderPath(platform::KnownFolder::LocalAppData);
    if (local.empty()) return {};
    const std::wstring own = files.Join(local, L"Parcelon");
    const std::wstring scratch = files.Join(own, kScratchFolderName);
    for (const std::wstring& folder : {own, scratch}) {
        if (!files.FolderExists(folder) && !files.CreateFolder(folder)) return {};
    }
    return scratch;
}

// An attachment no stream gives (an attached Outlook item): Outlook saves it to a file, which is read and deleted.
bool ReadThroughScratchFile(outlook::Attachment& source, OutgoingAttachment& attachment) {
    const std::wstring folder = ScratchFolder();
    if (folder.empty()) {
        LogLeftOut(attachment.fileName, L"the folder for its copy cannot be made");
        return false;
    }
    auto& files = platform::Files();
    ScratchFile file(files.Join(folder, platform::SafeFileName(attachment.fileName)));
    files.DeleteFile(file.Path());  // a copy an earlier run could not delete
    try {
        source.SaveAsFile(file.Path());
        file.MarkWritten();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
        LogLeftOut(attachment.fileName, L"Outlook cannot save it to a file");
        return false;
    }
    platform::ReadResult read = files.ReadFile(file.Path());
    if (!read.ok) {
        LogLeftOut(attachment.fileName, L"its saved copy cannot be read (error " + std::to_wstring(read.error) + L")");
        return false;
    }
    attachment.bytes = std::move(read.bytes);
    return true;
}

}  // namespace

std::optional<OutgoingAttachment> ReadAttachment(outlook::Attachment& attachment) {
    platform::AssertUiThread(__func__);
    OutgoingAttachment read{.fileName = attachment.FileName(), .bytes = {}};
    if (const outlook::Ref<mapi::Prop> properties = attachment.MAPIOBJECT()) {
        if (const outlook::Ref<mapi::Stream> stream = OpenDataStream(*properties)) {
            if (!ReadWhole(*stream, read)) return std::nullopt;
            return read;
        }
    }
    if (!ReadThroughScratchFile(attachment, read)) return std::nullopt;
    return read;
}

}  // namespace sealwing::compose
