// Linked into every test program that runs the simulated Outlook: an exception that escapes a callback of the add-in
// inside the simulation fails the test that is running at that moment, and the test goes on.

#include <gtest/gtest.h>

#include <string>

#include "sim/AddinCallback.h"

namespace {

void FailRunningTest(const std::string& failure) { ADD_FAILURE() << failure; }

// Before any test runs: the handler is a plain atomic pointer, so the order of static initialisers does not matter.
[[maybe_unused]] const bool g_installed = (sealwing::sim::SetAddinCallbackFailureHandler(&FailRunningTest), true);

}  // namespace
