#pragma once

#include <cstddef>
#include <memory>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// Word's Document behind an item window. Word's spelling dialog is not drawn: CheckSpelling counts the checks and
// returns at once, as if the user had gone through the dialog. A test makes it fail through the member gate
// ("Document.CheckSpelling").
class SimWordDocument final : public outlook::WordDocument, protected SimObject {
public:
    explicit SimWordDocument(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

    void CheckSpelling() override;
    // Word's one set of command bars (SimModel::wordCommandBars), whichever document asks.
    outlook::Ref<outlook::CommandBars> CommandBars() override;

    // The simulation's own access, no gate.
    std::size_t SpellingChecks() const { return spellingChecks_; }

private:
    std::size_t spellingChecks_ = 0;
};

}  // namespace sealwing::sim
