#include "platform/win32/Win32UiThread.h"

#include <condition_variable>
#include <exception>
#include <utility>

#include "platform/EntryGuard.h"

namespace sealwing::platform {
namespace {

// The send queue's router window: its completions reach the UI thread as this window's WM_USER+1.
constexpr wchar_t kClassName[] = L"Shipper router wnd";
constexpr UINT kServeSyncCalls = WM_USER + 1;
constexpr UINT kServePosts = WM_USER + 2;

// The module holding this code: the add-in's DLL, not Outlook's executable, owns the window class.
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// Thread timers carry no window, so their procedure finds the object by the thread it runs on.
struct Instances {
    std::mutex lock;
    std::map<DWORD, Win32UiThread*> byThread;
};

Instances& TheInstances() {
    static Instances instances;
    return instances;
}

}  // namespace

Win32UiThread::Win32UiThread() : threadId_(::GetCurrentThreadId()) {
    const HINSTANCE module = ThisModule();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Win32UiThread::WindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        stopped_ = true;
        return;
    }
    window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, this);
    if (window_ == nullptr) {
        stopped_ = true;
        return;
    }
    Instances& instances = TheInstances();
    std::lock_guard guard(instances.lock);
    instances.byThread[threadId_] = this;
}

Win32UiThread::~Win32UiThread() {
    Shutdown();
    if (window_ == nullptr) return;
    // Not on the UI thread: the window cannot be destroyed from here. Cut it loose and let the UI thread close it.
    {
        Instances& instances = TheInstances();
        std::lock_guard guard(instances.lock);
        instances.byThread.erase(threadId_);
    }
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
}

bool Win32UiThread::Created() const { return window_ != nullptr; }

void Win32UiThread::Shutdown() {
    std::deque<std::shared_ptr<SyncCall>> calls;
    std::deque<std::function<void()>> posts;
    {
        std::lock_guard guard(lock_);
        stopped_ = true;
        calls.swap(syncCalls_);
        posts.swap(posts_);
    }
    for (const auto& call : calls) call->Finish(false);
    if (IsUiThread()) DestroyRouter();
}

void Win32UiThread::DestroyRouter() {
    for (const auto& [id, callback] : timers_) ::KillTimer(nullptr, id);
    timers_.clear();
    {
        Instances& instances = TheInstances();
        std::lock_guard guard(instances.lock);
        const auto found = instances.byThread.find(threadId_);
        if (found != instances.byThread.end() && found->second == this) instances.byThread.erase(found);
    }
    if (window_ == nullptr) return;
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
    window_ = nullptr;
    // A DLL's classes outlive its unloading unless it removes them; this fails while another router window lives.
    ::UnregisterClassW(kClassName, ThisModule());
}

bool Win32UiThread::IsUiThread() { return ::GetCurrentThreadId() == threadId_; }

bool Win32UiThread::RunSync(std::function<void()> work, Event* giveUp) {
    if (IsUiThread()) {
        {
            std::lock_guard guard(lock_);
            if (stopped_) return false;
        }
        work();
        return true;
    }
    auto call = std::make_shared<SyncCall>(std::move(work));
    HWND window = nullptr;
    {
        std::lock_guard guard(lock_);
        if (stopped_) return false;
        syncCalls_.push_back(call);
        window = window_;
    }
    // Should the notification fail, the call waits in the queue for the next one or for Shutdown.
    ::SendNotifyMessageW(window, kServeSyncCalls, 0, 0);
    return call->Wait(giveUp);
}

void Win32UiThread::Post(std::function<void()> work) {
    HWND window = nullptr;
    {
        std::lock_guard guard(lock_);
        if (stopped_) return;
        posts_.push_back(std::move(work));
        window = window_;
    }
    ::PostMessageW(window, kServePosts, 0, 0);
}

TimerId Win32UiThread::SetTimer(std::uint32_t intervalMilliseconds, std::function<void(TimerId)> callback) {
    if (!IsUiThread() || window_ == nullptr) return 0;
    {
        std::lock_guard guard(lock_);
        if (stopped_) return 0;
    }
    const UINT_PTR id = ::SetTimer(nullptr, 0, intervalMilliseconds, &Win32UiThread::TimerProc);
    if (id == 0) return 0;
    timers_[id] = std::make_shared<TimerCallback>(std::move(callback));
    return id;
}

bool Win32UiThread::KillTimer(TimerId timer) {
    if (!IsUiThread()) return false;
    const auto found = timers_.find(timer);
    if (found == timers_.end()) return false;
    timers_.erase(found);
    ::KillTimer(nullptr, timer);
    return true;
}

void Win32UiThread::ServeSyncCalls() {
    for (;;) {
        std::shared_ptr<SyncCall> call;
        {
            std::lock_guard guard(lock_);
            if (syncCalls_.empty()) return;
            call = std::move(syncCalls_.front());
            syncCalls_.pop_front();
        }
        call->Run();  // its exception goes back to the waiting worker
    }
}

void Win32UiThread::ServePosts() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard guard(lock_);
            if (posts_.empty()) return;
            work = std::move(posts_.front());
            posts_.pop_front();
        }
        // One post that throws is reported; the posts behind it still run.
        GuardEntry(work);
    }
}

void Win32UiThread::FireTimer(TimerId timer) {
    const auto found = timers_.find(timer);
    if (found == timers_.end()) {
        ::KillTimer(nullptr, timer);  // a WM_TIMER already queued when its timer was killed
        return;
    }
    const std::shared_ptr<TimerCallback> callback = found->second;  // outlives a KillTimer inside the callback
    // A callback that threw is reported and its timer stays set, to fire again.
    GuardEntry([&callback, timer] { (*callback)(timer); });
}

LRESULT CALLBACK Win32UiThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == kServeSyncCalls || message == kServePosts) {
        auto* owner = reinterpret_cast<Win32UiThread*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (owner == nullptr || !owner->IsUiThread()) return 0;
        // Each piece of work has its own guard; this one covers the queue's lock.
        GuardEntry([owner, message] {
            if (message == kServeSyncCalls) {
                owner->ServeSyncCalls();
            } else {
                owner->ServePosts();
            }
        });
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK Win32UiThread::TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    // The callback has its own guard; this one covers the lookup's lock.
    GuardEntry([id] {
        Win32UiThread* owner = nullptr;
        {
            Instances& instances = TheInstances();
            std::lock_guard guard(instances.lock);
            const auto found = instances.byThread.find(::GetCurrentThreadId());
            if (found != instances.byThread.end()) owner = found->second;
        }
        if (owner == nullptr) {
            ::KillTimer(nullptr, id);
            return;
        }
        owner->FireTimer(id);
    });
}

}  // namespace sealwing::platform
