#pragma once

#include <span>
#include <string>

#include "platform/Dialog.h"

// The Windows resource script of the add-in's dialogs, written from their descriptions: the descriptions are the one
// source, the simulated Outlook shows them and the DLL carries the resources written from them.
namespace sealwing::tools {

// The whole script (UTF-8, code page 65001 declared): the common-controls manifest, then each dialog in the order
// given. Throws std::invalid_argument for descriptions no resource can hold: two dialogs or two controls of one
// dialog with the same id, or a text with a control character other than a line break or a tab.
std::string DialogResourceScript(std::span<const platform::DialogTemplate* const> dialogs);

}  // namespace sealwing::tools
