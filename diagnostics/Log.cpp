#include "diagnostics/Log.h"

#include <exception>
#include <memory>
#include <mutex>
#include <vector>

#include "diagnostics/ActivityLog.h"
#include "diagnostics/LogHeaderFacts.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UiThread.h"

namespace sealwing::diagnostics {
namespace {

// Every log opened in this process, in order of opening; logs live as long as the process so the viewer can show
// the text of threads that have ended.
struct LogRegistry {
    std::mutex lock;
    std::vector<std::unique_ptr<ActivityLog>> logs;
};

LogRegistry& Registry() {
    static LogRegistry registry;
    return registry;
}

thread_local ActivityLog* t_threadLog = nullptr;

std::mutex g_crashHandlerLock;
CrashReportHandler g_crashHandler;

bool OnUiThread() {
    auto* uiThread = platform::CurrentPlatform().uiThread;
    return uiThread != nullptr && uiThread->IsUiThread();
}

}  // namespace

ActivityLog& OpenThreadLog(std::wstring_view name, const LogHeaderGathering& gatherFacts) {
    if (t_threadLog != nullptr && t_threadLog->Name() == platform::AnsiFromWide(name)) return *t_threadLog;

    // Outlook is asked before anything is written, and only from its own thread.
    if (gatherFacts && OnUiThread()) PublishLogHeaderFacts(gatherFacts());

    auto owned = std::make_unique<ActivityLog>(name);
    ActivityLog& log = *owned;
    // The slot is set before the header so that anything logged while writing it lands in this log.
    t_threadLog = &log;
    try {
        log.WriteHeader(PublishedLogHeaderFacts());
    } catch (const std::exception& error) {
        log.Write(L"[ERROR] Cannot write the log header: " + platform::WideFromUtf8(error.what()) + L"\n");
    }
    {
        auto& registry = Registry();
        std::lock_guard guard(registry.lock);
        registry.logs.push_back(std::move(owned));
    }
    if (log.PreviousAbnormal()) {
        CrashReportHandler handler;
        {
            std::lock_guard guard(g_crashHandlerLock);
            handler = g_crashHandler;
        }
        if (handler) {
            handler(log.PreviousText());
            log.ForgetPreviousText();  // whatever the user chose
        }
    }
    return log;
}

void CloseThreadLog() {
    if (t_threadLog == nullptr) return;
    t_threadLog->CloseFile();
    t_threadLog = nullptr;
}

void LogWrite(std::wstring_view text) {
    if (t_threadLog != nullptr) t_threadLog->Write(text);
}

void LogTimestamp() {
    if (t_threadLog != nullptr) t_threadLog->WriteTimestamp();
}

void LogComError(outlook::HResult result, const LogPlace& place) {
    if (t_threadLog == nullptr) return;
    t_threadLog->WriteTimestamp();
    t_threadLog->Write(L"[ERROR] COM error. File " + platform::WideFromAnsi(FileNamePart(place.file)) + L", line " +
                       std::to_wstring(place.line) + L", error " + platform::HexW(static_cast<std::uint32_t>(result)) +
                       L"\n");
}

void LogComError(outlook::HResult result, const char* file, int line) { LogComError(result, LogPlace{file, line}); }

std::wstring ComExceptionLine(const outlook::ComError& error) {
    return L"[ERROR] COM exception. Code " + platform::HexW(static_cast<std::uint32_t>(error.Code())) +
           L". Description \"" + error.Description() + L"\"\n";
}

void LogComException(const outlook::ComError& error) { LogWrite(ComExceptionLine(error)); }

void OpenOperation(std::wstring_view text, const LogPlace& place) {
    if (t_threadLog != nullptr) t_threadLog->OpenOperation(text, place.file, place.line);
}

void NoteScope(std::wstring_view text, const LogPlace& place) {
    if (t_threadLog != nullptr) t_threadLog->NoteScope(text, place.file, place.line);
}

void CloseOperation(bool inProgress) {
    if (t_threadLog != nullptr) t_threadLog->CloseOperation(inProgress);
}

bool IsOperationInProgress() { return t_threadLog != nullptr && t_threadLog->InOperation(); }

std::string CollectAllLogs() {
    auto& registry = Registry();
    std::lock_guard guard(registry.lock);
    std::string all;
    for (const auto& log : registry.logs) all += log->RunText();
    return all;
}

void SetCrashReportHandler(CrashReportHandler handler) {
    std::lock_guard guard(g_crashHandlerLock);
    g_crashHandler = std::move(handler);
}

void ResetActivityLogsForTests() {
    auto& registry = Registry();
    {
        std::lock_guard guard(registry.lock);
        registry.logs.clear();
    }
    t_threadLog = nullptr;
    ForgetPublishedLogHeaderFacts();
    SetCrashReportHandler({});
}

LogScope::LogScope(std::wstring_view text, const LogPlace& place) : uncaughtAtEntry_(std::uncaught_exceptions()) {
    if (IsOperationInProgress()) {
        NoteScope(text, place);
    } else {
        owner_ = t_threadLog != nullptr;
        OpenOperation(text, place);
    }
}

LogScope::~LogScope() {
    if (owner_ && std::uncaught_exceptions() <= uncaughtAtEntry_) CloseOperation(false);
}

}  // namespace sealwing::diagnostics
