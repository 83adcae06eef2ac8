#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Browser.h"

namespace sealwing::sim {

// What one recording browser control was asked, and the hands that play its page loads. A control has no HTML
// document until its first document completes; a navigation does not take the old document away.
class RecordedBrowser {
public:
    // Navigations, writes and closes in order: L"navigate about:blank", L"write <html>...", (a write is the
    // document's write and close together; a write into no document is not recorded).
    const std::vector<std::wstring>& Calls() const { return calls_; }
    // The calls that were navigations, their addresses only; and the HTML texts written.
    std::vector<std::wstring> Navigations() const;
    std::vector<std::wstring> WrittenHtml() const;
    bool HasHtmlDocument() const { return hasDocument_; }
    platform::WindowHandle Window() const { return window_; }
    // The control was released (its window's owner let it go).
    bool Released() const { return released_; }
    bool EventsConnected() const { return sink_ != nullptr; }

    // The last navigation's document finished loading: the control then has an HTML document, and a connected sink
    // hears DocumentComplete with the address.
    void CompleteDocument();

private:
    friend class SimBrowser;
    friend class RecordingControl;

    platform::WindowHandle window_ = platform::kNoWindow;
    std::vector<std::wstring> calls_;
    std::wstring lastUrl_;
    bool hasDocument_ = false;
    bool released_ = false;
    bool refuseEvents_ = false;
    platform::BrowserEvents* sink_ = nullptr;
    std::uint32_t cookie_ = platform::BrowserControl::kNotConnected;
};

// The browser port of the simulated Outlook: each control it creates records what it is asked, and the test or the
// main job says when its documents complete. UI thread only, like the control it stands for.
class SimBrowser : public platform::Browser {
public:
    std::unique_ptr<platform::BrowserControl> CreateControl(platform::WindowHandle window) override;

    // Every control created so far, in order; the records outlive their controls.
    std::size_t Count() const { return records_.size(); }
    RecordedBrowser& At(std::size_t index) { return *records_.at(index); }
    // The newest control; throws std::logic_error when none was created.
    RecordedBrowser& Last();

    // While set: controls made from now on refuse event connections, or no control can be created at all.
    bool refuseEvents = false;
    bool failCreation = false;

private:
    std::vector<std::shared_ptr<RecordedBrowser>> records_;
    std::uint32_t nextCookie_ = 0x51;
};

}  // namespace sealwing::sim
