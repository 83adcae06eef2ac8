#pragma once

#include "diagnostics/Log.h"
#include "outlook/ObjectModel.h"
#include "outlook/SinkConnection.h"

namespace sealwing {

// The add-in's companion of one main window. Lives as long as its window; the add-in owns it. UI thread only.
class CExplorerExtension final : private outlook::ExplorerEvents {
public:
    // What the extension needs of the add-in that owns it.
    class Owner {
    public:
        // The last call an extension whose window closed makes: the owner destroys it.
        virtual void ReleaseExplorerExtension(CExplorerExtension* extension) = 0;

    protected:
        ~Owner() = default;
    };

    CExplorerExtension(Owner& owner, outlook::Ref<outlook::Explorer> explorer);
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
    Owner& owner_;
    outlook::Ref<outlook::Explorer> explorer_;
    SinkConnection<outlook::ExplorerEvents> explorerSink_{&diagnostics::LogComException};
};

}  // namespace sealwing
