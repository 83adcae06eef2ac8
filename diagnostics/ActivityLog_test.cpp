#include "diagnostics/ActivityLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "diagnostics/LogHeaderFacts.h"
#include "platform/Clock.h"
#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TempFolder.h"

namespace sealwing::diagnostics {
namespace {

constexpr std::int64_t kTenPastThree = 1796871845;  // 2026-12-10 03:04:05 UTC

class ActivityLogTest : public ::testing::Test {
protected:
    ActivityLogTest()
        : files_(temp_.Path() + L"/roaming", temp_.Path() + L"/local"),
          clock_(kTenPastThree),
          platform_(platform::Platform{.clock = &clock_, .files = &files_}) {
        ResetProcessState();
        std::filesystem::create_directories(temp_.Narrow() + "/local");
        PublishLogHeaderFacts({.outlookVersion = L"14.0.0.4760",
                               .comAddInsPresent = true,
                               .comAddInsCount = 1,
                               .comAddIns = {{L"{0001}", L"Sealwing.Addin", L"Secure mail"}}});
    }
    ~ActivityLogTest() override { ResetProcessState(); }

    std::string LogPath(const std::string& name) const { return temp_.Narrow() + "/local/Parcelon/" + name + ".log"; }

    std::string ReadLogFile(const std::string& name) const {
        std::ifstream in(LogPath(name), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void WriteLogFile(const std::string& name, const std::string& content) const {
        std::filesystem::create_directories(temp_.Narrow() + "/local/Parcelon");
        std::ofstream(LogPath(name), std::ios::binary) << content;
    }

    platform::TempFolder temp_;
    platform::PosixFileSystem files_;
    platform::ManualClock clock_;
    platform::ScopedPlatform platform_;
};

constexpr const char* kMainHeader =
    "===Main log\n"
    "2026-12-10 03:04\n"
    "Parcelon for Microsoft Outlook version 1.38 x86\n"
    "Outlook version 14.0.0.4760 \n"
    "COM add-ins:\n"
    "Total 1 add-ins\n"
    "1 - {0001} Sealwing.Addin\n"
    "Secure mail\n"
    "Accounts:\n";

TEST_F(ActivityLogTest, FirstStartWritesTheHeaderBetweenCreateAndClosedAndOffersNoReport) {
    int reports = 0;
    SetCrashReportHandler([&reports](const std::string&) { ++reports; });

    ActivityLog& log = OpenThreadLog(L"Main");

    EXPECT_TRUE(log.FileOk());
    EXPECT_FALSE(log.PreviousAbnormal());
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(log.RunText(), kMainHeader);
    EXPECT_EQ(ReadLogFile("Main"), std::string("CLOSED\n") + kMainHeader);
}

// The run's death, where a test wants it.
struct Died {};

// The machine's files, except that the run dies where a log file would be cut.
class FilesThatDieCuttingALog : public platform::FileSystem {
public:
    explicit FilesThatDieCuttingALog(platform::FileSystem& files) : files_(files) {}
    std::wstring KnownFolderPath(platform::KnownFolder folder) override { return files_.KnownFolderPath(folder); }
    std::wstring Join(std::wstring_view folder, std::wstring_view name) override { return files_.Join(folder, name); }
    bool FolderExists(const std::wstring& path) override { return files_.FolderExists(path); }
    bool CreateFolder(const std::wstring& path) override { return files_.CreateFolder(path); }
    platform::ReadResult ReadFile(const std::wstring& path) override { return files_.ReadFile(path); }
    platform::WriteResult ReplaceFile(const std::wstring& path, std::string_view bytes,
                                      platform::FileAccess access) override {
        return files_.ReplaceFile(path, bytes, access);
    }
    bool DeleteFile(const std::wstring& path) override { return files_.DeleteFile(path); }
    std::unique_ptr<platform::FileWriter> CreateNewFile(const std::wstring& path, platform::FileError& error) override {
        return files_.CreateNewFile(path, error);
    }
    bool DeleteFolder(const std::wstring& path) override { return files_.DeleteFolder(path); }
    std::unique_ptr<platform::LogFile> OpenLogFile(const std::wstring& path, platform::FileError& error) override {
        auto file = files_.OpenLogFile(path, error);
        return file == nullptr ? nullptr : std::make_unique<DyingLogFile>(std::move(file));
    }

private:
    struct DyingLogFile : platform::LogFile {
        explicit DyingLogFile(std::unique_ptr<platform::LogFile> file) : file(std::move(file)) {}
        bool Size(std::uint64_t& size, platform::FileError& error) override { return file->Size(size, error); }
        bool ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes, platform::FileError& error) override {
            return file->ReadAt(offset, size, bytes, error);
        }
        bool ReadAll(std::string& bytes, platform::FileError& error) override { return file->ReadAll(bytes, error); }
        bool Truncate(std::uint64_t) override { throw Died{}; }
        bool WriteAt(std::uint64_t offset, std::string_view bytes) override { return file->WriteAt(offset, bytes); }
        bool Append(std::string_view bytes) override { return file->Append(bytes); }
        std::unique_ptr<platform::LogFile> file;
    };
    platform::FileSystem& files_;
};

TEST_F(ActivityLogTest, ARunThatDiesCuttingThePreviousTextOfItsLogIsSeenAsACrashAtTheNextStart) {
    WriteLogFile("Main", std::string("CLOSED\n") + kMainHeader + "a clean run\n");
    {
        FilesThatDieCuttingALog dying(files_);
        const platform::ScopedPlatform platform(platform::Platform{.clock = &clock_, .files = &dying});
        EXPECT_THROW(ActivityLog(L"Main"), Died);
    }

    const ActivityLog next(L"Main");
    EXPECT_TRUE(next.PreviousAbnormal());
    EXPECT_EQ(ReadLogFile("Main"), "CREATE\n");
}

TEST_F(ActivityLogTest, HeaderListsAccountsOnceKnownAndSaysWhenComAddInsAreMissing) {
    PublishLogHeaderFacts({.outlookVersion = L"11.0.0.8312", .comAddInsPresent = false});
    PublishLogHeaderAccounts({{L"ann@example.com", false, L"POP3", L"Ann"}, {L"", true, L"Exchange", L"Work"}});

    ActivityLog& log = OpenThreadLog(L"Main");

    EXPECT_EQ(log.RunText(),
              "===Main log\n2026-12-10 03:04\nParcelon for Microsoft Outlook version 1.38 x86\n"
              "Outlook version 11.0.0.8312 \nCOM add-ins:\nCOMAddIns property of Application object is NULL\n"
              "Accounts:\nTotal 2 accounts\n1, ann@example.com, NonEx, POP3, Ann\n2, , Ex, Exchange, Work\n");
}

struct PreviousFileCase {
    const char* name;
    std::string previous;
    bool abnormal;
};

class PreviousRunTest : public ActivityLogTest, public ::testing::WithParamInterface<PreviousFileCase> {};

TEST_P(PreviousRunTest, MarkerOfThePreviousFileDecidesTheCrashReport) {
    const auto& param = GetParam();
    WriteLogFile("Main", param.previous);
    std::vector<std::string> reports;
    SetCrashReportHandler([&reports](const std::string& text) { reports.push_back(text); });

    ActivityLog& log = OpenThreadLog(L"Main");

    EXPECT_EQ(log.PreviousAbnormal(), param.abnormal);
    if (param.abnormal) {
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports.front(), param.previous);  // the whole file, marker included
        EXPECT_EQ(log.PreviousText(), "") << "held only until the report was offered";
    } else {
        EXPECT_TRUE(reports.empty());
    }
    EXPECT_EQ(ReadLogFile("Main"), std::string("CLOSED\n") + kMainHeader);  // the new file starts over
}

INSTANTIATE_TEST_SUITE_P(Markers, PreviousRunTest,
                         ::testing::Values(PreviousFileCase{"Open", "OPEN  \n===Main log\nSending\n", true},
                                           PreviousFileCase{"Create", "CREATE\n===Main log\n", true},
                                           PreviousFileCase{"Closed", "CLOSED\n===Main log\nLog closed...\n\n", false},
                                           PreviousFileCase{"ShorterThanAMarker", "OPEN  ", false},
                                           PreviousFileCase{"Empty", "", false},
                                           PreviousFileCase{"Garbage", "\x01\x02\x03\x04\x05\x06\x07\x08", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ActivityLogTest, NestedScopesWriteOneOpenedAndClosedPair) {
    OpenThreadLog(L"Main");
    {
        LogScope outer(L"New inspector opened", {"addin/SealwingAddin.cpp", 132});
        EXPECT_TRUE(IsOperationInProgress());
        EXPECT_EQ(ReadLogFile("Main").substr(0, 7), "OPEN  \n");
        {
            LogScope inner(L"Getting deep info about account address", {"C:\\src\\mailstore\\OutlookActions.cpp", 109});
            LogWrite(L"progress\n");
        }
        EXPECT_TRUE(IsOperationInProgress());
    }
    EXPECT_FALSE(IsOperationInProgress());

    const std::string file = ReadLogFile("Main");
    EXPECT_EQ(file.substr(0, 7), "CLOSED\n");
    EXPECT_EQ(file.substr(7 + std::string(kMainHeader).size()),
              "2026-12-10 03:04:05 Log opened...\n"
              "New inspector opened in SealwingAddin.cpp(132)\n"
              "Getting deep info about account address in OutlookActions.cpp(109)\n"
              "progress\n"
              "2026-12-10 03:04:05 Log closed...\n\n");
}

TEST_F(ActivityLogTest, AScopeLeftByAnExceptionLeavesTheMarkerOpen) {
    OpenThreadLog(L"Main");
    try {
        LogScope scope(L"Send secure", {"InspectorExtension.cpp", 0});
        throw std::runtime_error("failure");
    } catch (const std::runtime_error&) {
    }
    const std::string file = ReadLogFile("Main");
    EXPECT_EQ(file.substr(0, 7), "OPEN  \n");
    EXPECT_EQ(file.find("Log closed"), std::string::npos);
}

// An entry from the host catches what its operation threw: the run goes on, so the operation is closed and the
// marker does not report a crash at the next start.
TEST_F(ActivityLogTest, AnEntryGuardLogsWhatEscapedAndClosesTheOperation) {
    struct Case {
        const char* name;
        std::function<void()> failure;
        std::string line;
    };
    const Case cases[] = {
        {"automation error", [] { throw outlook::ComError(static_cast<outlook::HResult>(0x80004003), L"Nothing"); },
         "[ERROR] COM exception. Code 80004003. Description \"Nothing\"\n"},
        {"anything else", [] { throw std::out_of_range("map::at"); }, "[ERROR] Unhandled exception\n"},
        {"not even an exception", [] { throw 42; }, "[ERROR] Unhandled exception\n"},
    };
    platform::SetEntryFailureReporter(&LogEntryFailure);
    for (const Case& c : cases) {
        ResetActivityLogsForTests();
        OpenThreadLog(L"Main");
        const bool returned = platform::GuardEntry([&] {
            LogScope scope(L"New inspector opened", {"SealwingAddin.cpp", 132});
            c.failure();
        });
        EXPECT_FALSE(returned) << c.name;
        const std::string file = ReadLogFile("Main");
        EXPECT_EQ(file.substr(0, 7), "CLOSED\n") << c.name;
        EXPECT_NE(file.find("New inspector opened in SealwingAddin.cpp(132)\n" + c.line +
                            "2026-12-10 03:04:05 Log closed...\n\n"),
                  std::string::npos)
            << c.name << "\n"
            << file;
        EXPECT_FALSE(IsOperationInProgress()) << c.name;
    }
    platform::SetEntryFailureReporter(nullptr);
}

TEST_F(ActivityLogTest, AWaitOnTheNetworkClosesTheOperationUntilItIsReopened) {
    OpenThreadLog(L"Main");
    LogScope scope(L"Send secure", {"InspectorExtension.cpp", 0});
    CloseOperation(true);
    EXPECT_EQ(ReadLogFile("Main").substr(0, 7), "CLOSED\n");
    OpenOperation(L"HTTP operation successfull", {"Transport.cpp", 0});
    EXPECT_EQ(ReadLogFile("Main").substr(0, 7), "OPEN  \n");
    EXPECT_NE(ReadLogFile("Main").find("Log closed, operation in progress...\n"), std::string::npos);
}

TEST_F(ActivityLogTest, ErrorLinesCarryTheCodeInHexadecimal) {
    OpenThreadLog(L"Main");
    const auto before = ReadLogFile("Main").size();
    LogComError(static_cast<outlook::HResult>(0x8004010F), {"mailstore/OutlookActions.cpp", 214});
    LogComException(outlook::ComError(static_cast<outlook::HResult>(0x80020006), L"Unknown name."));
    EXPECT_EQ(ReadLogFile("Main").substr(before),
              "2026-12-10 03:04:05 [ERROR] COM error. File OutlookActions.cpp, line 214, error 8004010f\n"
              "[ERROR] COM exception. Code 80020006. Description \"Unknown name.\"\n");
}

TEST_F(ActivityLogTest, ViewerShowsMainThenWorkerLogsInTheOrderTheirThreadsStarted) {
    OpenThreadLog(L"Main");
    LogWrite(L"main line\n");
    for (const wchar_t* name : {L"Shipper", L"Attachments"}) {
        std::thread worker([name] {
            OpenThreadLog(name);
            LogWrite(std::wstring(name) + L" line\n");
        });
        worker.join();
    }

    const std::string all = CollectAllLogs();
    const auto main = all.find("===Main log");
    const auto mainLine = all.find("main line");
    const auto shipper = all.find("===Shipper log");
    const auto attachments = all.find("===Attachments log");
    ASSERT_NE(attachments, std::string::npos);
    EXPECT_LT(main, mainLine);
    EXPECT_LT(mainLine, shipper);
    EXPECT_LT(shipper, attachments);
    EXPECT_NE(all.find("Attachments line\n"), std::string::npos);
}

// Registered: like every log, it outlives its thread (the viewer may show an ended thread's log), which the
// sanitizers' build would report as a use after free otherwise.
TEST_F(ActivityLogTest, ASecondLogOfTheSameNameRecordsNothingButIsRegistered) {
    OpenThreadLog(L"Main");
    std::thread first([] {
        OpenThreadLog(L"Attachments");
        LogWrite(L"first download\n");
    });
    first.join();
    const std::string before = ReadLogFile("Attachments");
    const std::string collectedBefore = CollectAllLogs();

    ActivityLog* second = nullptr;
    std::thread secondThread([&second] {
        second = &OpenThreadLog(L"Attachments");
        LogWrite(L"second download\n");
    });
    secondThread.join();

    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Name(), "Attachments");
    EXPECT_FALSE(second->FileOk());
    EXPECT_EQ(second->RunText(), "");
    EXPECT_EQ(ReadLogFile("Attachments"), before);
    EXPECT_EQ(CollectAllLogs(), collectedBefore);
}

TEST_F(ActivityLogTest, AFolderThatCannotBeCreatedLeavesALogThatRecordsNothing) {
    std::filesystem::remove_all(temp_.Narrow() + "/local");
    std::ofstream(temp_.Narrow() + "/local") << "a file where the folder should be";

    ActivityLog& log = OpenThreadLog(L"Main");
    LogWrite(L"lost\n");
    LogScope scope(L"Operation", {"File.cpp", 1});

    EXPECT_FALSE(log.FileOk());
    EXPECT_EQ(log.RunText(), "");
}

TEST_F(ActivityLogTest, ReopeningTheLogOfTheSameNameOnOneThreadKeepsIt) {
    ActivityLog& first = OpenThreadLog(L"Main");
    LogWrite(L"before reconnecting\n");
    ActivityLog& second = OpenThreadLog(L"Main");
    EXPECT_EQ(&first, &second);
    EXPECT_NE(ReadLogFile("Main").find("before reconnecting\n"), std::string::npos);
}

}  // namespace
}  // namespace sealwing::diagnostics
