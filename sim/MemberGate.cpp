#include "sim/MemberGate.h"

#include "sim/MessageLoop.h"
#include "sim/OutlookVersion.h"
#include "sim/SimResults.h"

namespace sealwing::sim {

MemberGate::MemberGate(MessageLoop& loop, int majorVersion) : loop_(loop), majorVersion_(majorVersion) {}

void MemberGate::Enter(std::wstring_view member) {
    if (auto error = Check(member)) throw *error;
}

outlook::HResult MemberGate::EnterMapi(std::wstring_view member) {
    if (auto error = Check(member)) return error->Code();
    return outlook::hr::S_Ok;
}

void MemberGate::FailMember(std::wstring member, outlook::HResult code, std::wstring description, int times) {
    if (times == 0) {
        faults_.erase(member);
        return;
    }
    faults_[std::move(member)] = Fault{code, std::move(description), times};
}

std::size_t MemberGate::Calls(std::wstring_view member) const {
    const auto counted = calls_.find(member);
    return counted != calls_.end() ? counted->second : 0;
}

std::optional<outlook::ComError> MemberGate::Check(std::wstring_view member) {
    if (!loop_.IsUiThread()) {
        ++wrongThreadCalls_;
        return outlook::ComError(result::kWrongThread, result::kWrongThreadText);
    }
    if (auto counted = calls_.find(member); counted != calls_.end()) {
        ++counted->second;
    } else {
        calls_.emplace(std::wstring(member), 1);
    }
    if (auto fault = faults_.find(member); fault != faults_.end()) {
        outlook::ComError error(fault->second.code, fault->second.description);
        if (fault->second.remaining > 0 && --fault->second.remaining == 0) faults_.erase(fault);
        return error;
    }
    if (!OutlookVersion::Has(majorVersion_, member)) {
        return outlook::ComError(outlook::hr::DispE_UnknownName, result::kUnknownNameText);
    }
    return std::nullopt;
}

}  // namespace sealwing::sim
