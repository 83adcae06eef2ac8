#include "sim/SimApplication.h"

#include "sim/OutlookVersion.h"
#include "sim/SimCOMAddIns.h"
#include "sim/SimExplorer.h"
#include "sim/SimExplorers.h"
#include "sim/SimInspector.h"
#include "sim/SimInspectors.h"
#include "sim/SimNameSpace.h"

namespace sealwing::sim {

SimApplication::SimApplication(std::weak_ptr<SimContext> context)
    : SimObject(context), events_(context, L"ApplicationEvents") {}

std::wstring SimApplication::Version() {
    auto context = Enter(L"Application.Version");
    return OutlookVersion::VersionText(context->MajorVersion(), context->Options().build);
}

outlook::Ref<outlook::NameSpace> SimApplication::Session() { return Enter(L"Application.Session")->Model().session; }

outlook::Ref<outlook::Explorer> SimApplication::ActiveExplorer() {
    return Enter(L"Application.ActiveExplorer")->Model().explorers->Active();
}

outlook::Ref<outlook::Inspector> SimApplication::ActiveInspector() {
    return Enter(L"Application.ActiveInspector")->Model().inspectors->Active();
}

outlook::Ref<outlook::Explorers> SimApplication::Explorers() {
    return Enter(L"Application.Explorers")->Model().explorers;
}

outlook::Ref<outlook::Inspectors> SimApplication::Inspectors() {
    return Enter(L"Application.Inspectors")->Model().inspectors;
}

outlook::Ref<outlook::COMAddIns> SimApplication::COMAddIns() {
    auto context = Enter(L"Application.COMAddIns");
    if (!context->Model().comAddInsAvailable) return nullptr;
    return context->Model().comAddIns;
}

outlook::ConnectionPoint<outlook::ApplicationEvents>& SimApplication::Events() {
    Enter(L"Application.Events");
    return events_;
}

}  // namespace sealwing::sim
