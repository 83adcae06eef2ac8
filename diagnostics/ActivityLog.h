#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "diagnostics/LogHeaderFacts.h"
#include "platform/Files.h"

namespace sealwing::diagnostics {

// One thread's activity log: a file rewritten at every start of its thread, whose first seven bytes are a state
// marker rewritten in place, and a copy in memory for the viewer. Written only by its own thread; the in-memory
// copy is read from any thread under the log's lock. Logging never fails the caller: a log whose file cannot be
// opened records nothing.
// A source file's name without its folders, as log lines name their place.
std::string FileNamePart(std::string_view path);

class ActivityLog {
public:
    static constexpr std::string_view kCreateMarker = "CREATE\n";
    static constexpr std::string_view kOpenMarker = "OPEN  \n";
    static constexpr std::string_view kClosedMarker = "CLOSED\n";

    // Opens (or creates) the file "<local application data>/Parcelon/<name>.log", keeps the previous run's text when
    // that run ended abnormally, and starts the file over with the "CREATE" marker. The header comes next.
    explicit ActivityLog(std::wstring_view name);
    ~ActivityLog();
    ActivityLog(const ActivityLog&) = delete;
    ActivityLog& operator=(const ActivityLog&) = delete;

    // The header and the "CLOSED" marker that end opening.
    void WriteHeader(const LogHeaderFacts& facts);

    void Write(std::wstring_view text);
    void WriteTimestamp();
    void OpenOperation(std::wstring_view text, std::string_view sourceFile, int line);
    void NoteScope(std::wstring_view text, std::string_view sourceFile, int line);
    void CloseOperation(bool inProgress);
    bool InOperation() const { return inOperation_; }

    // Closes the file; the text stays readable for the viewer.
    void CloseFile();

    const std::string& Name() const { return name_; }
    bool FileOk() const { return fileOk_; }
    bool PreviousAbnormal() const { return previousAbnormal_; }
    const std::string& PreviousText() const { return previousText_; }
    // The previous run's text has served its crash report; it need not stay in memory for the rest of the run.
    void ForgetPreviousText() { std::string().swap(previousText_); }
    // A copy of everything this run wrote after the marker, taken under the lock.
    std::string RunText() const;

private:
    void WriteNarrow(std::string_view bytes);
    void WriteMarker(std::string_view marker);

    mutable std::mutex lock_;
    bool previousAbnormal_ = false;
    std::string previousText_;
    std::string runText_;
    std::string name_;
    bool fileOk_ = true;
    bool inOperation_ = false;
    std::unique_ptr<platform::LogFile> file_;
};

}  // namespace sealwing::diagnostics
