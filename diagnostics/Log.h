#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "diagnostics/LogHeaderFacts.h"
#include "outlook/ComError.h"

// The calling thread's activity log. Every function acts on the log in the thread's slot; on a thread that has not
// opened a log they do nothing.
namespace sealwing::diagnostics {

class ActivityLog;

// A place in the source that a log line names, as "<file>(<line>)"; the file's folders are left out. Most places are
// where the caller stands: the functions below take __builtin_FILE() and __builtin_LINE() as default arguments, which
// the compiler fills in where the call is written (they are what std::source_location rests on, and unlike it they
// also work with Debian 12's clang and libstdc++). The few places logs have always named are in FixedTexts.h.
struct LogPlace {
    std::string_view file{};
    int line = 0;
};

// Asks Outlook for what the header says of it; runs on Outlook's UI thread only. The add-in supplies it.
using LogHeaderGathering = std::function<LogHeaderFacts()>;

// Opens the thread's log under the name ("Main", "Shipper", "Attachments"), registers it and, when the previous
// run of that log ended abnormally, runs the crash-report step. On Outlook's UI thread with a gathering given, the
// header's facts are gathered afresh and published before the header is written; anywhere else the published facts
// are reused. A thread that already holds a log of that name keeps it, and gathers nothing. Never throws.
ActivityLog& OpenThreadLog(std::wstring_view name, const LogHeaderGathering& gatherFacts = {});
// Closes the calling thread's log file and empties its slot; the text stays with the viewer.
void CloseThreadLog();

void LogWrite(std::wstring_view text);
// "%Y-%m-%d %H:%M:%S " in UTC.
void LogTimestamp();
// A failed MAPI call: timestamp, then "[ERROR] COM error. File %s, line %i, error %x\n".
void LogComError(outlook::HResult result, const LogPlace& place);
void LogComError(outlook::HResult result, const char* file = __builtin_FILE(), int line = __builtin_LINE());
// The handler's line for a failed object-model call: "[ERROR] COM exception. Code %x. Description "%s"\n".
void LogComException(const outlook::ComError& error);
std::wstring ComExceptionLine(const outlook::ComError& error);

void OpenOperation(std::wstring_view text, const LogPlace& place);
void NoteScope(std::wstring_view text, const LogPlace& place);
void CloseOperation(bool inProgress);
bool IsOperationInProgress();

// The text of every log of this run, in the order the logs were opened.
std::string CollectAllLogs();

// The crash-report step, run on the thread whose log found that its previous run ended abnormally, with the
// previous file's whole text, which the log then lets go of. Without a handler the previous text stays with the log.
using CrashReportHandler = std::function<void(const std::string& previousText)>;
void SetCrashReportHandler(CrashReportHandler handler);

// An exception caught at an entry from the host (platform::GuardEntry): a ComError is written as the handler's line
// "[ERROR] COM exception...", anything else as "[ERROR] Unhandled exception"; then the thread's open operation is
// closed, since the run goes on and its marker must not report a crash. Never throws.
void LogEntryFailure(std::exception_ptr failure) noexcept;
// Makes LogEntryFailure the reporter of every entry guard (where the add-in's world starts).
void InstallEntryFailureLogging();

// Tests: closes every log, forgets the registry and the published facts, and empties the calling thread's slot.
// Other threads that opened logs must have ended.
void ResetActivityLogsForTests();

// Put at the top of every user- or event-driven operation. The outermost scope on a thread opens the operation and
// closes it at the end; inner scopes only note themselves. A scope left by an exception writes nothing more, so the
// marker stays "OPEN" and the next start reports the abnormal end.
class LogScope {
public:
    LogScope(std::wstring_view text, const LogPlace& place);
    explicit LogScope(std::wstring_view text, const char* file = __builtin_FILE(), int line = __builtin_LINE())
        : LogScope(text, LogPlace{file, line}) {}
    ~LogScope();
    LogScope(const LogScope&) = delete;
    LogScope& operator=(const LogScope&) = delete;

private:
    bool owner_ = false;
    int uncaughtAtEntry_ = 0;
};

}  // namespace sealwing::diagnostics
