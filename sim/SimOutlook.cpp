#include "sim/SimOutlook.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "sim/AutomationDate.h"
#include "sim/OutlookVersion.h"
#include "sim/SimAccount.h"
#include "sim/SimAccountManager.h"
#include "sim/SimAccounts.h"
#include "sim/SimApplication.h"
#include "sim/SimAttachments.h"
#include "sim/SimCOMAddIn.h"
#include "sim/SimCOMAddIns.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBars.h"
#include "sim/SimContext.h"
#include "sim/SimExplorer.h"
#include "sim/SimExplorers.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimInspectors.h"
#include "sim/SimMailItem.h"
#include "sim/SimNameSpace.h"
#include "sim/SimProps.h"
#include "sim/SimRecipient.h"
#include "sim/SimRecipients.h"
#include "sim/SimRibbon.h"
#include "sim/SimStore.h"
#include "sim/TransportHeaders.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

namespace {

constexpr int kFirstVersionWithOneEventPerNewMail = 12;

SimOptions Completed(SimOptions options) {
    if (!OutlookVersion::IsSupported(options.majorVersion)) {
        throw std::invalid_argument("the simulated Outlook is version 11, 12 or 14, not " +
                                    std::to_string(options.majorVersion));
    }
    if (options.build.empty()) options.build = OutlookVersion::DefaultBuild(options.majorVersion);
    return options;
}

outlook::olk::AccountManagerCreator AccountManagerClass(const std::weak_ptr<SimContext>& weak) {
    return [weak](outlook::Ref<outlook::olk::AccountManager>& manager) {
        const auto context = weak.lock();
        if (!context) return result::kDisconnected;
        if (const auto failed = context->Gate().EnterMapi(L"OlkAccountManager.Create"); failed != outlook::hr::S_Ok) {
            return failed;
        }
        manager = std::make_shared<SimAccountManager>(weak);
        return outlook::hr::S_Ok;
    };
}

}  // namespace

SimOutlook::SimOutlook(SimOptions options, platform::Clock& clock)
    : clock_(clock),
      loop_(clock),
      context_(std::make_shared<SimContext>(Completed(std::move(options)), loop_, windows_)),
      accountManagerClass_(AccountManagerClass(context_)) {
    const std::weak_ptr<SimContext> weak = context_;
    SimModel& model = context_->Model();
    model.application = std::make_shared<SimApplication>(weak);
    model.session = std::make_shared<SimNameSpace>(weak);
    model.store = SimStore::Create(weak, context_->Options().storeName);
    model.stores.push_back(model.store);
    model.explorers = std::make_shared<SimExplorers>(weak);
    model.inspectors = std::make_shared<SimInspectors>(weak);
    model.comAddIns = std::make_shared<SimCOMAddIns>(weak);
    model.accounts = std::make_shared<SimAccounts>(weak);
    model.wordCommandBars = SimCommandBars::ForWord(weak);
    model.ribbon = std::make_shared<SimRibbon>(context_->MajorVersion());
}

SimOutlook::~SimOutlook() {
    loop_.Stop();
    context_.reset();
}

platform::Platform SimOutlook::PlatformWith(const HostPorts& host) {
    return platform::Platform{.browser = &browser_,
                              .clock = &clock_,
                              .files = &host.files,
                              .graphics = &graphics_,
                              .http = host.http,
                              .registry = &host.registry,
                              .secrets = host.secrets,
                              .uiThread = &loop_,
                              .ui = &user_,
                              .windows = &windows_};
}

int SimOutlook::MajorVersion() const { return context_->MajorVersion(); }

outlook::Ref<outlook::Application> SimOutlook::Application() { return context_->Model().application; }

outlook::Ref<SimNameSpace> SimOutlook::Session() { return context_->Model().session; }

outlook::Ref<SimStore> SimOutlook::DefaultStore() { return context_->Model().store; }

outlook::Ref<SimStore> SimOutlook::AddStore(std::wstring displayName) {
    RequireUiThread("AddStore");
    SimModel& model = context_->Model();
    if (displayName.empty()) throw std::invalid_argument("a simulated store needs a display name");
    if (model.StoreNamed(displayName)) {
        throw std::invalid_argument("the simulated profile already has a store of that display name");
    }
    auto store = SimStore::Create(context_, std::move(displayName));
    model.stores.push_back(store);
    return store;
}

outlook::Ref<SimStore> SimOutlook::Store(const std::wstring& displayName) {
    if (displayName.empty()) return DefaultStore();
    auto store = context_->Model().StoreNamed(displayName);
    if (!store) throw std::invalid_argument("the simulated profile has no store of that display name");
    return store;
}

outlook::Ref<SimFolder> SimOutlook::Folder(outlook::DefaultFolder folder) {
    return context_->Model().store->Folder(folder);
}

outlook::Ref<SimFolder> SimOutlook::Folder(outlook::DefaultFolder folder, const std::wstring& storeName) {
    return Store(storeName)->Folder(folder);
}

outlook::Ref<SimExplorer> SimOutlook::OpenExplorer(std::wstring caption) {
    RequireUiThread("OpenExplorer");
    return context_->Model().explorers->Open(std::move(caption));
}

void SimOutlook::CloseExplorer(const outlook::Ref<SimExplorer>& explorer) {
    RequireUiThread("CloseExplorer");
    context_->Model().explorers->Close(explorer);
}

void SimOutlook::ActivateExplorer(const outlook::Ref<SimExplorer>& explorer) {
    RequireUiThread("ActivateExplorer");
    context_->Model().explorers->Activate(explorer);
}

outlook::Ref<SimInspector> SimOutlook::OpenInspector(const outlook::Ref<SimMailItem>& item) {
    RequireUiThread("OpenInspector");
    auto inspector = item->InspectorOrNew();
    context_->Model().inspectors->Display(inspector);
    return inspector;
}

void SimOutlook::CloseInspector(const outlook::Ref<SimInspector>& inspector) {
    RequireUiThread("CloseInspector");
    context_->Model().inspectors->Close(inspector);
}

void SimOutlook::ActivateInspector(const outlook::Ref<SimInspector>& inspector) {
    RequireUiThread("ActivateInspector");
    context_->Model().inspectors->Activate(inspector);
}

void SimOutlook::Select(const outlook::Ref<SimExplorer>& explorer, std::vector<outlook::Ref<SimMailItem>> items) {
    RequireUiThread("Select");
    explorer->SetSelectedItems(std::move(items));
    explorer->Source().Fire(L"SelectionChange", [](outlook::ExplorerEvents& sink) { sink.SelectionChange(); });
}

void SimOutlook::SetReadingPaneVisible(const outlook::Ref<SimExplorer>& explorer, bool visible) {
    RequireUiThread("SetReadingPaneVisible");
    if (!explorer->IsOpen()) throw std::logic_error("SetReadingPaneVisible: the explorer is closed");
    explorer->ShowReadingPane(visible);
}

platform::WindowHandle SimOutlook::ReadingPaneWindow(const outlook::Ref<SimExplorer>& explorer) {
    const platform::WindowHandle body = explorer->ReadingPane().body;
    return windows_.IsWindow(body) ? body : platform::kNoWindow;
}

platform::WindowHandle SimOutlook::BodyWindow(const outlook::Ref<SimInspector>& inspector) {
    const platform::WindowHandle body = inspector->Body().body;
    return inspector->IsDisplayed() && windows_.IsWindow(body) ? body : platform::kNoWindow;
}

outlook::Ref<SimCommandBars> SimOutlook::WordCommandBars() { return context_->Model().wordCommandBars; }

bool SimOutlook::ClickControl(const outlook::Ref<outlook::CommandBarControl>& control) {
    RequireUiThread("ClickControl");
    const auto button = std::dynamic_pointer_cast<SimCommandBarControl>(control);
    if (!button || !button->IsButton()) throw std::invalid_argument("ClickControl: not a simulated button");
    if (button->IsDeleted()) throw std::logic_error("ClickControl: the button was deleted");
    bool cancel = false;
    button->Source().Fire(L"Click",
                          [&button, &cancel](outlook::CommandBarButtonEvents& sink) { sink.Click(button, cancel); });
    return cancel;
}

void SimOutlook::SetRibbonExtensibility(outlook::RibbonExtensibility* addin) {
    RequireUiThread("SetRibbonExtensibility");
    std::vector<std::wstring> shown;
    for (const auto& inspector : context_->Model().inspectors->OpenWindows()) {
        shown.emplace_back(SimRibbon::ItemRibbonId(inspector->Item()->IsSent()));
    }
    context_->Model().ribbon->Connect(addin, shown);
}

bool SimOutlook::ClickRibbonControl(platform::WindowHandle window, const std::wstring& controlId) {
    RequireUiThread("ClickRibbonControl");
    SimRibbon& ribbon = *context_->Model().ribbon;
    if (ribbon.ExplorersHaveRibbon()) {
        for (const auto& explorer : context_->Model().explorers->OpenWindows()) {
            if (explorer->FrameWindow() == window) return ribbon.Click(SimRibbon::kExplorer, window, controlId);
        }
    }
    if (ribbon.InspectorsHaveRibbon()) {
        for (const auto& inspector : context_->Model().inspectors->OpenWindows()) {
            if (inspector->FrameWindow() == window) {
                return ribbon.Click(SimRibbon::ItemRibbonId(inspector->Item()->IsSent()), window, controlId);
            }
        }
    }
    return false;
}

const std::vector<std::wstring>& SimOutlook::RibbonRequests() const { return context_->Model().ribbon->Requests(); }

outlook::Ref<SimMailItem> SimOutlook::CreateMailItem() {
    RequireUiThread("CreateMailItem");
    return SimMailItem::Create(context_, Folder(outlook::olFolderDrafts));
}

outlook::Ref<SimMailItem> SimOutlook::AddReceivedMail(const ReceivedMailSetup& mail) {
    RequireUiThread("AddReceivedMail");
    auto folder = Folder(mail.folder, mail.store);
    if (!folder) throw std::invalid_argument("the simulated store has no such default folder");
    const SimOptions& options = context_->Options();
    auto item = SimMailItem::Create(context_, folder);

    PropertyBag& props = item->Props();
    props.SetText(prop::PR_SUBJECT_W, mail.subject);
    props.SetText(prop::PR_BODY_W, mail.body);
    props.SetText(prop::PR_SENDER_NAME_W, mail.senderName.empty() ? mail.senderAddress : mail.senderName);
    props.SetText(prop::PR_SENDER_EMAIL_ADDRESS_W, mail.senderAddress);
    props.SetText(prop::PR_SENDER_ADDRTYPE_W, mail.senderAddressType);
    props.SetText(mapi::PR_RECEIVED_BY_EMAIL_ADDRESS_W, mail.to.empty() ? options.userAddress : mail.to.front());
    item->SetHtml(mail.htmlBody);
    ++mailSerial_;
    const std::int64_t arrival = clock_.UtcSeconds();
    const std::wstring headers =
        mail.transportHeaders.value_or(TransportHeaders::Make(mail, options.userAddress, arrival, mailSerial_));
    if (!headers.empty()) props.SetText(mapi::PR_TRANSPORT_MESSAGE_HEADERS_W, headers);

    const auto addRecipient = [this, &item](const std::wstring& address, outlook::RecipientType type) {
        const AddressBookEntry* known = SimRecipient::Lookup(context_->Model().addressBook, address);
        item->RecipientList()->AddResolved(known ? *known : AddressBookEntry{address, address, L"SMTP", 30, {}, {}},
                                           type);
    };
    if (mail.to.empty()) addRecipient(options.userAddress, outlook::olTo);
    for (const auto& address : mail.to) addRecipient(address, outlook::olTo);
    for (const auto& address : mail.cc) addRecipient(address, outlook::olCC);
    for (const auto& attachment : mail.attachments) {
        item->AttachmentList()->AddSaved(attachment.fileName, attachment.bytes);
    }
    item->SetSentState(true);
    item->SetSentOn(mail.sentOn.value_or(AutomationDateOf(arrival)));
    item->SetReadState(mail.unread);
    item->PlaceIn(folder);
    return item;
}

outlook::Ref<SimMailItem> SimOutlook::Respond(const outlook::Ref<SimMailItem>& item, ResponseKind kind) {
    RequireUiThread("Respond");
    auto response =
        MakeResponseDraft(context_, Folder(outlook::olFolderDrafts), *item, kind, context_->Options().userAddress);
    bool cancel = false;
    const outlook::Ref<outlook::Object> shown = response;
    item->Source().Fire(ResponseEventName(kind), [kind, &shown, &cancel](outlook::ItemEvents& sink) {
        switch (kind) {
            case ResponseKind::Reply:
                sink.Reply(shown, cancel);
                break;
            case ResponseKind::ReplyAll:
                sink.ReplyAll(shown, cancel);
                break;
            case ResponseKind::Forward:
                sink.Forward(shown, cancel);
                break;
        }
    });
    if (cancel) return nullptr;
    OpenInspector(response);
    return response;
}

void SimOutlook::DeliverNewMail(const std::vector<outlook::Ref<SimMailItem>>& items) {
    RequireUiThread("DeliverNewMail");
    std::vector<std::wstring> ids;
    for (const auto& item : items) {
        if (!item->IsSaved()) throw std::invalid_argument("new mail must be in a folder: use AddReceivedMail");
        ids.push_back(item->EntryIdText());
    }
    auto& events = context_->Model().application->Source();
    const auto fire = [&events](const std::wstring& entryIds) {
        events.Fire(L"NewMailEx", [&entryIds](outlook::ApplicationEvents& sink) { sink.NewMailEx(entryIds); });
    };
    if (MajorVersion() < kFirstVersionWithOneEventPerNewMail) {
        std::wstring joined;
        for (const auto& id : ids) joined += (joined.empty() ? L"" : L",") + id;
        if (!ids.empty()) fire(joined);
    } else {
        for (const auto& id : ids) fire(id);
    }
}

void SimOutlook::AddComAddIn(std::wstring guid, std::wstring progId, std::wstring description) {
    RequireUiThread("AddComAddIn");
    context_->Model().comAddIns->Add(
        std::make_shared<SimCOMAddIn>(context_, std::move(guid), std::move(progId), std::move(description)));
}

void SimOutlook::SetComAddInsAvailable(bool available) {
    RequireUiThread("SetComAddInsAvailable");
    context_->Model().comAddInsAvailable = available;
}

outlook::Ref<SimAccount> SimOutlook::AddAccount(const AccountSetup& account) {
    RequireUiThread("AddAccount");
    AccountSetup setup = account;
    std::uint32_t next = 1;
    for (const auto& existing : context_->Model().accounts->List()) {
        if (existing->Setup().accountId == setup.accountId)
            throw std::invalid_argument("AddAccount: account id in use");
        next = std::max(next, *existing->Setup().accountId + 1);
    }
    if (!setup.accountId) setup.accountId = next;
    std::weak_ptr<SimStore> deliveryStore;
    if (!account.noDeliveryStore) deliveryStore = Store(account.deliveryStore);
    auto added = std::make_shared<SimAccount>(context_, std::move(setup), std::move(deliveryStore));
    context_->Model().accounts->Add(added);
    return added;
}

void SimOutlook::SetDefaultMailAccount(const outlook::Ref<SimAccount>& account) {
    RequireUiThread("SetDefaultMailAccount");
    context_->Model().defaultMailAccountId = account->Setup().accountId;
}

void SimOutlook::AddAddressBookEntry(AddressBookEntry entry) {
    RequireUiThread("AddAddressBookEntry");
    context_->Model().addressBook.push_back(std::move(entry));
}

void SimOutlook::Quit() {
    RequireUiThread("Quit");
    context_->Model().application->Source().Fire(L"Quit", [](outlook::ApplicationEvents& sink) { sink.Quit(); });
}

void SimOutlook::FailMember(std::wstring member, outlook::HResult code, std::wstring description, int times) {
    RequireUiThread("FailMember");
    context_->Gate().FailMember(std::move(member), code, std::move(description), times);
}

const std::vector<std::wstring>& SimOutlook::Journal() const { return context_->Journal().Entries(); }

std::size_t SimOutlook::AdvisedSinks() const { return context_->Journal().OpenConnections(); }

std::size_t SimOutlook::WrongThreadCalls() const { return context_->Gate().WrongThreadCalls(); }

std::size_t SimOutlook::MemberCalls(std::wstring_view member) const { return context_->Gate().Calls(member); }

void SimOutlook::RequireUiThread(const char* what) {
    if (!loop_.IsUiThread()) {
        throw std::logic_error(std::string("SimOutlook::") + what + " is scripting for the UI thread");
    }
}

}  // namespace sealwing::sim
