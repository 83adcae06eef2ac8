#include "diagnostics/ActivityLog.h"

#include "SealwingVersion.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Text.h"

namespace sealwing::diagnostics {
namespace {

constexpr std::size_t kMarkerSize = 7;

}  // namespace

std::string FileNamePart(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

ActivityLog::ActivityLog(std::wstring_view name) : name_(platform::AnsiFromWide(name)) {
    auto& files = platform::Files();
    const std::wstring root = files.KnownFolderPath(platform::KnownFolder::LocalAppData);
    const std::wstring folder = files.Join(root, L"Parcelon");
    if (!files.FolderExists(folder)) files.CreateFolder(folder);
    const std::wstring path = files.Join(folder, std::wstring(name) + L".log");

    platform::FileError error = 0;
    file_ = root.empty() ? nullptr : files.OpenLogFile(path, error);
    std::uint64_t size = 0;
    if (file_ == nullptr || !file_->Size(size, error)) {
        file_.reset();
        fileOk_ = false;
        return;
    }

    // A file shorter than a marker has none; a marker that cannot be read cannot vouch for a clean end either.
    std::string marker;
    platform::FileError readError = 0;
    if (size >= kMarkerSize && !file_->ReadAt(0, kMarkerSize, marker, readError)) marker = "unread";
    if (!marker.empty() && marker != kClosedMarker) {
        previousAbnormal_ = true;
        if (!file_->ReadAll(previousText_, readError)) {
            previousText_ = "Cannot read log file " + name_ + ". Error code is " + platform::Hex(readError);
        }
    }

    // Marked before it is cut: a run that dies between the two leaves a file its next start still sees as a crash,
    // where cutting first would leave an empty file that vouches for nothing.
    WriteMarker(kCreateMarker);
    file_->Truncate(kMarkerSize);
}

ActivityLog::~ActivityLog() = default;

void ActivityLog::WriteHeader(const LogHeaderFacts& facts) {
    auto& clock = platform::TheClock();
    Write(L"===" + platform::WideFromAnsi(name_) + L" log\n");
    WriteNarrow(platform::FormatUtc(clock.UtcSeconds(), "%Y-%m-%d %H:%M\n"));
    Write(L"Parcelon for Microsoft Outlook version " + std::to_wstring(SEALWING_VERSION_MAJOR) + L"." +
          std::to_wstring(SEALWING_VERSION_MINOR) + L" ");
    Write(L"x86\n");
    Write(L"Outlook version " + facts.outlookVersion + L" \nCOM add-ins:\n");
    if (facts.comAddInsPresent) {
        Write(L"Total " + std::to_wstring(facts.comAddInsCount) + L" add-ins\n");
        int index = 1;
        for (const auto& addIn : facts.comAddIns) {
            Write(std::to_wstring(index++) + L" - " + addIn.guid + L" " + addIn.progId + L"\n" + addIn.description +
                  L"\n");
        }
    } else if (facts.gatherError.empty()) {
        Write(L"COMAddIns property of Application object is NULL\n");
    }
    if (!facts.gatherError.empty()) Write(facts.gatherError);
    Write(L"Accounts:\n");
    if (facts.accounts) {
        Write(L"Total " + std::to_wstring(facts.accounts->size()) + L" accounts\n");
        int number = 1;
        for (const auto& account : *facts.accounts) {
            Write(std::to_wstring(number++) + L", " + account.smtpAddress + L", " +
                  (account.exchange ? L"Ex" : L"NonEx") + L", " + account.typeText + L", " + account.displayName +
                  L"\n");
        }
    }
    WriteMarker(kClosedMarker);
}

void ActivityLog::Write(std::wstring_view text) { WriteNarrow(platform::AnsiFromWide(text)); }

void ActivityLog::WriteNarrow(std::string_view bytes) {
    if (!fileOk_) return;
    // Only this log's own thread writes, so the file needs no lock; the viewer reads runText from other threads.
    file_->Append(bytes);
    std::lock_guard guard(lock_);
    runText_.append(bytes);
}

void ActivityLog::WriteMarker(std::string_view marker) {
    if (!fileOk_) return;
    file_->WriteAt(0, marker);
}

void ActivityLog::WriteTimestamp() {
    WriteNarrow(platform::FormatUtc(platform::TheClock().UtcSeconds(), "%Y-%m-%d %H:%M:%S "));
}

void ActivityLog::OpenOperation(std::wstring_view text, std::string_view sourceFile, int line) {
    WriteMarker(kOpenMarker);
    inOperation_ = true;
    WriteTimestamp();
    Write(L"Log opened...\n");
    NoteScope(text, sourceFile, line);
}

void ActivityLog::NoteScope(std::wstring_view text, std::string_view sourceFile, int line) {
    Write(std::wstring(text) + L" in " + platform::WideFromAnsi(FileNamePart(sourceFile)) + L"(" +
          std::to_wstring(line) + L")\n");
}

void ActivityLog::CloseOperation(bool inProgress) {
    WriteTimestamp();
    Write(inProgress ? L"Log closed, operation in progress...\n" : L"Log closed...\n\n");
    WriteMarker(kClosedMarker);
    inOperation_ = false;
}

void ActivityLog::CloseFile() {
    file_.reset();
    fileOk_ = false;
}

std::string ActivityLog::RunText() const {
    std::lock_guard guard(lock_);
    return runText_;
}

}  // namespace sealwing::diagnostics
