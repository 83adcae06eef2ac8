#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/CredentialList.h"

// What the crash writer (a process that saves the user's files over and over until it is killed) and the test that
// kills it share: where the files go, the two contents it alternates between, and the progress it reports.
namespace sealwing::testing::crash {

// The writer's progress, one byte each on its progress descriptor: the event times two plus the variant (0 or 1) of
// the iteration it belongs to. A byte is written only once the step it names is done, so the last byte read after the
// writer died bounds where it died.
enum class WriterEvent : std::uint8_t {
    Started,            // the activity log is open and its header written
    SavingCredentials,  // about to replace the credentials file with the iteration's variant
    SavedCredentials,   //
    WritingSettings,    // about to write the settings value of the iteration's variant
    WroteSettings,      //
    OpeningOperation,   // about to open a log operation
    InOperation,        // the operation is open; its lines come next
    ClosingOperation,   // about to close it
    ClosedOperation,    //
};

constexpr std::uint8_t EventByte(WriterEvent event, int variant) {
    return static_cast<std::uint8_t>(static_cast<int>(event) * 2 + variant);
}
constexpr WriterEvent EventOf(std::uint8_t byte) { return static_cast<WriterEvent>(byte / 2); }
constexpr int VariantOf(std::uint8_t byte) { return byte % 2; }

// The descriptors the writer reports its progress, and the runs it started and how they ended, on.
constexpr int kProgressFd = 3;
constexpr int kControlFd = 4;

inline const std::wstring kSettingsKey = L"Software\\Parcelon\\CrashWriter";
inline const std::wstring kSettingsValueName = L"Signature";
constexpr int kLinesPerOperation = 40;

inline std::wstring RoamingFolder(const std::wstring& dataFolder) { return dataFolder + L"/roaming"; }
inline std::wstring LocalFolder(const std::wstring& dataFolder) { return dataFolder + L"/local"; }
inline std::wstring RegistryPath(const std::wstring& dataFolder) { return dataFolder + L"/registry.txt"; }
inline std::string KeyFile(const std::string& dataFolder) { return dataFolder + "/keys/user.key"; }
inline std::string LogPath(const std::string& dataFolder) { return dataFolder + "/local/Parcelon/Main.log"; }

// Two lists unlike in every entry and in length, so that a file mixing them cannot pass for either.
inline settings::CredentialList Credentials(int variant) {
    settings::CredentialList list;
    const int count = variant == 0 ? 12 : 17;
    for (int i = 0; i < count; ++i) {
        const std::wstring tag = (variant == 0 ? L"ann" : L"bob") + std::to_wstring(i);
        list.Add(tag + L"@example.com", std::wstring(40 + i, variant == 0 ? L'a' : L'b') + L"\u00e9" + tag);
    }
    return list;
}

// Kilobytes long, so that a cut settings file would lose much more than a line ending.
inline std::wstring SettingsValue(int variant) {
    return (variant == 0 ? L"first:" : L"second:") +
           std::wstring(variant == 0 ? 6000 : 9000, variant == 0 ? L'x' : L'y');
}

}  // namespace sealwing::testing::crash
