#include "reading/ReplyTemplate.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ReplyTemplateBytes.h"  // written by the build from resources/ReplyTemplate.html
#include "platform/Text.h"

namespace sealwing::reading {
namespace {

constexpr std::wstring_view kStartCc = L"%START_CC%";
constexpr std::wstring_view kEndCc = L"%END_CC%";

// The range of automation dates: 1 January 100 to 31 December 9999.
constexpr double kFirstDate = -657434.0;
constexpr double kPastLastDate = 2958466.0;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kUnixEpochDay = 25569;  // 1 January 1970, a Thursday

constexpr std::array<const wchar_t*, 7> kWeekdays{L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                                  L"Thursday", L"Friday", L"Saturday"};
constexpr std::array<const wchar_t*, 12> kMonths{L"January",   L"February", L"March",    L"April",
                                                 L"May",       L"June",     L"July",     L"August",
                                                 L"September", L"October",  L"November", L"December"};

struct CivilDate {
    std::int64_t year;
    int month;  // 1 to 12
    int day;    // 1 to 31
};

// The proleptic Gregorian date of a day counted from 1 January 1970.
CivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::wstring Padded(std::int64_t number, std::size_t width) {
    std::wstring text = std::to_wstring(number);
    if (text.size() < width) text.insert(0, width - text.size(), L'0');
    return text;
}

std::wstring Joined(const std::vector<std::wstring>& items) {
    std::wstring joined;
    for (const auto& item : items) {
        if (!joined.empty()) joined += L", ";
        joined += item;
    }
    return joined;
}

// The CC line's markers are dealt with on the template alone, before any value is in it.
std::wstring WithCcLineSettled(std::wstring_view templateText, bool hasCc) {
    std::wstring text(templateText);
    const std::size_t start = text.find(kStartCc);
    const std::size_t end = text.find(kEndCc);
    if (start == std::wstring::npos || end == std::wstring::npos || end < start) return text;
    if (hasCc) {
        text.erase(end, kEndCc.size());
        text.erase(start, kStartCc.size());
    } else {
        text.erase(start, end + kEndCc.size() - start);
    }
    return text;
}

}  // namespace

std::wstring LoadReplyTemplate() {
    return platform::WideFromAnsi(
        std::string_view(reinterpret_cast<const char*>(kReplyTemplateBytes), sizeof kReplyTemplateBytes));
}

std::wstring FormatSentDate(outlook::Date date) {
    if (!std::isfinite(date) || date < kFirstDate || date >= kPastLastDate) return {};
    // Before 30 December 1899 the fraction still counts forward from midnight: -1.25 is 29 December, 6 AM.
    std::int64_t day = static_cast<std::int64_t>(std::trunc(date));
    std::int64_t second = std::llround(std::fabs(date - static_cast<double>(day)) * kSecondsPerDay);
    if (second >= kSecondsPerDay) {
        ++day;
        second -= kSecondsPerDay;
    }
    const std::int64_t unixDay = day - kUnixEpochDay;
    const CivilDate civil = CivilFromDays(unixDay);
    const std::int64_t weekday = ((unixDay + 4) % 7 + 7) % 7;
    const int hour = static_cast<int>(second / 3600);
    const int minute = static_cast<int>(second / 60 % 60);
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;

    return std::wstring(kWeekdays[static_cast<std::size_t>(weekday)]) + L", " +
           kMonths[static_cast<std::size_t>(civil.month - 1)] + L" " + Padded(civil.day, 2) + L", " +
           Padded(civil.year, 4) + L" " + std::to_wstring(hour12) + L":" + Padded(minute, 2) +
           (hour < 12 ? L" AM" : L" PM");
}

std::wstring FillReplyTemplate(std::wstring_view templateText, const service::SecureMessage& message,
                               std::wstring_view sentOn) {
    const std::wstring text = WithCcLineSettled(templateText, !message.cc.empty());
    const std::wstring recipient = message.to.empty() ? message.recipient : Joined(message.to);
    const std::wstring cc = Joined(message.cc);
    const std::array<std::pair<std::wstring_view, std::wstring_view>, 7> values{{
        {L"%NAME_FROM%", message.sender_name},
        {L"%EMAIL_FROM%", message.sender_email},
        {L"%RECIPIENT%", recipient},
        {L"%CC%", cc},
        {L"%DATE_SENT%", sentOn},
        {L"%SUBJECT%", message.subject},
        {L"%BODY%", message.body},
    }};

    std::wstring filled;
    filled.reserve(text.size() + message.body.size() + 256);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t mark = text.find(L'%', at);
        if (mark == std::wstring::npos) {
            filled.append(text, at);
            break;
        }
        filled.append(text, at, mark - at);
        const std::wstring_view rest = std::wstring_view(text).substr(mark);
        bool replaced = false;
        for (const auto& [placeholder, value] : values) {
            if (rest.starts_with(placeholder)) {
                filled += value;
                at = mark + placeholder.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            filled += L'%';
            at = mark + 1;
        }
    }
    return filled;
}

}  // namespace sealwing::reading
