#include "platform/SystemErrorText.h"

#include <array>
#include <utility>

namespace sealwing::platform {

// Linux has no text for Windows' codes: these are the ones Windows gives for the failures an automation call
// reports most, so that a message box reads the same in the simulated Outlook.
std::optional<std::wstring> SystemErrorText(std::uint32_t code) {
    static constexpr std::array<std::pair<std::uint32_t, const wchar_t*>, 10> kTexts{{
        {0x80004001, L"Not implemented"},
        {0x80004002, L"No such interface supported"},
        {0x80004003, L"Invalid pointer"},
        {0x80004005, L"Unspecified error"},
        {0x8007000E, L"Not enough memory resources are available to complete this operation."},
        {0x80070057, L"The parameter is incorrect."},
        {0x80020006, L"Unknown name."},
        {0x8002000B, L"Invalid index."},
        {0x8001010E, L"The application called an interface that was marshalled for a different thread."},
        {0x80010108, L"The object invoked has disconnected from its clients."},
    }};
    for (const auto& [known, text] : kTexts) {
        if (known == code) return std::wstring(text);
    }
    return std::nullopt;
}

}  // namespace sealwing::platform
