#include "sim/SimBrowser.h"

#include <stdexcept>
#include <utility>

namespace sealwing::sim {
namespace {

constexpr std::wstring_view kNavigate = L"navigate ";
constexpr std::wstring_view kWrite = L"write ";

std::vector<std::wstring> CallsOf(const std::vector<std::wstring>& calls, std::wstring_view kind) {
    std::vector<std::wstring> found;
    for (const std::wstring& call : calls) {
        if (call.starts_with(kind)) found.push_back(call.substr(kind.size()));
    }
    return found;
}

}  // namespace

class RecordingControl final : public platform::BrowserControl {
public:
    RecordingControl(std::shared_ptr<RecordedBrowser> record, std::uint32_t cookie)
        : record_(std::move(record)), cookie_(cookie) {}
    ~RecordingControl() override {
        record_->released_ = true;
        record_->sink_ = nullptr;
        record_->cookie_ = kNotConnected;
    }

    bool Navigate(const std::wstring& url) override {
        record_->calls_.push_back(std::wstring(kNavigate) + url);
        record_->lastUrl_ = url;
        return true;
    }
    bool HasHtmlDocument() override { return record_->hasDocument_; }
    bool WriteHtml(const std::wstring& html) override {
        if (!record_->hasDocument_) return false;
        record_->calls_.push_back(std::wstring(kWrite) + html);
        return true;
    }
    std::uint32_t ConnectEvents(platform::BrowserEvents& sink) override {
        if (record_->refuseEvents_ || record_->sink_ != nullptr) return kNotConnected;
        record_->sink_ = &sink;
        record_->cookie_ = cookie_;
        return cookie_;
    }
    void DisconnectEvents(std::uint32_t cookie) override {
        if (cookie != record_->cookie_ || cookie == kNotConnected) return;
        record_->sink_ = nullptr;
        record_->cookie_ = kNotConnected;
    }

private:
    std::shared_ptr<RecordedBrowser> record_;
    std::uint32_t cookie_;
};

std::vector<std::wstring> RecordedBrowser::Navigations() const { return CallsOf(calls_, kNavigate); }

std::vector<std::wstring> RecordedBrowser::WrittenHtml() const { return CallsOf(calls_, kWrite); }

void RecordedBrowser::CompleteDocument() {
    if (released_) throw std::logic_error("a released browser control completes no document");
    hasDocument_ = true;
    if (platform::BrowserEvents* sink = sink_) sink->DocumentComplete(lastUrl_);
}

std::unique_ptr<platform::BrowserControl> SimBrowser::CreateControl(platform::WindowHandle window) {
    if (failCreation) return nullptr;
    auto record = std::make_shared<RecordedBrowser>();
    record->window_ = window;
    record->refuseEvents_ = refuseEvents;
    records_.push_back(record);
    return std::make_unique<RecordingControl>(std::move(record), nextCookie_++);
}

RecordedBrowser& SimBrowser::Last() {
    if (records_.empty()) throw std::logic_error("no browser control was created");
    return *records_.back();
}

}  // namespace sealwing::sim
