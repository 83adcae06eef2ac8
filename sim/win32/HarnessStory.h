#pragma once

#include <string>

namespace sealwing::sim::win32 {

// The user's day with the real add-in DLL in the simulated Outlook of that major version (11, 12 or 14), through the
// DLL's COM entry points only: start-up with its ribbon or command bar, a secure message composed and sent through
// the local service, a secure notice read in the reading pane, answered with Reply All and Forward, the options and
// About, and shutdown. `serviceRecord` is the folder where the local service writes each request it received.
// Prints every check; true when all held.
bool RunStory(const std::wstring& dllPath, int majorVersion, const std::wstring& serviceRecord);

}  // namespace sealwing::sim::win32
