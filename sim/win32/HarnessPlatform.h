#pragma once

#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "sim/SimOutlook.h"

namespace sealwing::sim::win32 {

// The harness's own platform record, installed while this object lives: the simulation's desktop ports with the
// machine's files and a registry subtree of the harness. The add-in DLL keeps its own record.
class HarnessPlatform {
public:
    explicit HarnessPlatform(SimOutlook& outlook)
        : registry_(L"Software\\SealwingHarness"),
          platform_(outlook.PlatformWith({.files = files_, .registry = registry_})) {}
    HarnessPlatform(const HarnessPlatform&) = delete;
    HarnessPlatform& operator=(const HarnessPlatform&) = delete;

private:
    platform::Win32FileSystem files_;
    platform::Win32Registry registry_;
    platform::ScopedPlatform platform_;
};

}  // namespace sealwing::sim::win32
