#include "reading/ExplorerExtension.h"

#include "addin/SealwingAddin.h"
#include "diagnostics/Log.h"

namespace sealwing {
namespace {
constexpr const char* kSourceFile = "ExplorerExtension.cpp";
}  // namespace

CExplorerExtension::CExplorerExtension(CSealwingAddin& addin, outlook::Ref<outlook::Explorer> explorer)
    : addin_(addin), explorer_(std::move(explorer)) {}

CExplorerExtension::~CExplorerExtension() = default;

void CExplorerExtension::ConnectExplorerSink() {
    explorerSink_.Connect(explorer_, static_cast<outlook::ExplorerEvents&>(*this));
}

void CExplorerExtension::Close() {
    {
        diagnostics::LogScope scope(L"Explorer is being closed", kSourceFile, 218);
        explorerSink_.Disconnect();
    }
    addin_.ReleaseExplorerExtension(this);  // destroys this extension: nothing may follow
}

}  // namespace sealwing
