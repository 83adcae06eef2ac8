#pragma once

#include "diagnostics/Log.h"
#include "outlook/SinkConnection.h"
#include "outlook/ObjectModel.h"

namespace sealwing {

class CSealwingAddin;

// The add-in's companion of one main window. Lives as long as its window; the add-in owns it. UI thread only.
class CExplorerExtension final : private outlook::ExplorerEvents {
public:
    CExplorerExtension(CSealwingAddin& addin, outlook::Ref<outlook::Explorer> explorer);
    ~CExplorerExtension() override;
    CExplorerExtension(const CExplorerExtension&) = delete;
    CExplorerExtension& operator=(const CExplorerExtension&) = delete;

    // Follows the window's events (sink 1). ComError when Outlook refuses the connection.
    void ConnectExplorerSink();

    const outlook::Ref<outlook::Explorer>& Explorer() const { return explorer_; }
    bool CommandBarBuilt() const { return commandBarBuilt_; }
    const SinkConnection<outlook::ExplorerEvents>& ExplorerSink() const { return explorerSink_; }

private:
    // ExplorerEvents
    void Close() override;

    bool commandBarBuilt_ = false;
    CSealwingAddin& addin_;
    outlook::Ref<outlook::Explorer> explorer_;
    SinkConnection<outlook::ExplorerEvents> explorerSink_{&diagnostics::LogComException};
};

}  // namespace sealwing
