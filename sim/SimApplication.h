#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/EventSource.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// The Application object the add-in receives in OnConnection.
class SimApplication : public outlook::Application, protected SimObject {
public:
    explicit SimApplication(std::weak_ptr<SimContext> context);

    std::wstring Version() override;
    outlook::Ref<outlook::NameSpace> Session() override;
    outlook::Ref<outlook::Explorer> ActiveExplorer() override;
    outlook::Ref<outlook::Inspector> ActiveInspector() override;
    outlook::Ref<outlook::Explorers> Explorers() override;
    outlook::Ref<outlook::Inspectors> Inspectors() override;
    // Nothing while the simulation says Office provides no COM add-ins collection.
    outlook::Ref<outlook::COMAddIns> COMAddIns() override;
    outlook::ConnectionPoint<outlook::ApplicationEvents>& Events() override;

    EventSource<outlook::ApplicationEvents>& Source() { return events_; }

private:
    EventSource<outlook::ApplicationEvents> events_;
};

}  // namespace sealwing::sim
