#include "reading/ExplorerExtension.h"

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"

namespace sealwing {
namespace {}  // namespace

CExplorerExtension::CExplorerExtension(Owner& owner, outlook::Ref<outlook::Explorer> explorer)
    : owner_(owner), explorer_(std::move(explorer)) {}

CExplorerExtension::~CExplorerExtension() = default;

void CExplorerExtension::ConnectExplorerSink() {
    explorerSink_.Connect(explorer_, static_cast<outlook::ExplorerEvents&>(*this));
}

void CExplorerExtension::Close() {
    {
        diagnostics::LogScope scope(L"Explorer is being closed", diagnostics::fixed::kExplorerClosing);
        explorerSink_.Disconnect();
    }
    owner_.ReleaseExplorerExtension(this);  // destroys this extension: nothing may follow
}

}  // namespace sealwing
