#pragma once

#include <vector>

#include "addin/outlook/Ref.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

class SimAccounts;
class SimApplication;
class SimCOMAddIns;
class SimExplorers;
class SimInspectors;
class SimNameSpace;
class SimStore;

// The roots of one simulated Outlook's objects. The context owns them; objects reach each other through it and hold
// their owners only weakly, so nothing keeps a cycle alive.
struct SimModel {
    outlook::Ref<SimApplication> application;
    outlook::Ref<SimNameSpace> session;
    outlook::Ref<SimStore> store;
    outlook::Ref<SimExplorers> explorers;
    outlook::Ref<SimInspectors> inspectors;
    outlook::Ref<SimCOMAddIns> comAddIns;
    bool comAddInsAvailable = true;
    outlook::Ref<SimAccounts> accounts;
    std::vector<AddressBookEntry> addressBook;
};

}  // namespace sealwing::sim
