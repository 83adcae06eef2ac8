#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sealwing::sim {

// The record of connection-point traffic across every event source of one simulated Outlook, in order:
// "Advise InspectorsEvents", "Unadvise InspectorsEvents", "Fire InspectorsEvents.NewInspector" (a firing that reached
// at least one sink), and the number of connections open now. UI thread only.
class ConnectionJournal {
public:
    void Advised(const std::wstring& source);
    void Unadvised(const std::wstring& source);
    void Fired(const std::wstring& source, std::wstring_view event);
    // A source that goes away ends its connections without a journal entry.
    void Dropped(std::size_t connections);

    const std::vector<std::wstring>& Entries() const { return entries_; }
    std::size_t OpenConnections() const { return open_; }

private:
    std::vector<std::wstring> entries_;
    std::size_t open_ = 0;
};

}  // namespace sealwing::sim
