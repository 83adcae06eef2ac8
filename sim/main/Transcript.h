#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "platform/Text.h"

// The main job's transcript: what the user saw, one short line a step.
namespace sealwing::story {

inline void Step(const std::string& text) { std::cout << "* " << text << '\n'; }

inline std::string Utf8(const std::wstring& text) { return platform::Utf8FromWide(text); }

inline std::string Joined(const std::vector<std::string>& parts, const char* nothing = "nobody") {
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : ", ") + part;
    return joined.empty() ? nothing : joined;
}

// The facts the story stands on: each one that did not hold is named at the end, and the run fails.
class Facts {
public:
    void Expect(bool held, const std::string& fact) {
        if (!held) failed_.push_back(fact);
    }
    bool AllHeld() const { return failed_.empty(); }
    const std::vector<std::string>& Failed() const { return failed_; }

private:
    std::vector<std::string> failed_;
};

}  // namespace sealwing::story
