#include "sim/ConnectionJournal.h"

namespace sealwing::sim {

void ConnectionJournal::Advised(const std::wstring& source) {
    entries_.push_back(L"Advise " + source);
    ++open_;
}

void ConnectionJournal::Unadvised(const std::wstring& source) {
    entries_.push_back(L"Unadvise " + source);
    --open_;
}

void ConnectionJournal::Fired(const std::wstring& source, std::wstring_view event) {
    entries_.push_back(L"Fire " + source + L"." + std::wstring(event));
}

void ConnectionJournal::Dropped(std::size_t connections) { open_ -= connections; }

}  // namespace sealwing::sim
