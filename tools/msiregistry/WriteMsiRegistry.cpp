// Writes the installer package's registry entries as a WiX include, from the DLL's registrar script and its type
// library's IDL:
//   write-msi-registry <registrar script> <IDL> <include to write>
// The include refers to the DLL's file as [#SealwingDll], to its folder as [INSTALLDIR], and to the type library's
// platform ("win32" or "win64") as the WiX variable TypeLibPlatform.

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/Text.h"
#include "tools/msiregistry/MsiRegistry.h"

namespace {

std::wstring ReadText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error(std::string("cannot read ") + path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return sealwing::platform::WideFromUtf8(bytes.str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: write-msi-registry <registrar script> <IDL> <include to write>\n";
        return 2;
    }
    try {
        using namespace sealwing::tools;
        std::vector<RegistryRow> rows = RowsFromRegistrarScript(ReadText(argv[1]), L"[#SealwingDll]");
        const std::vector<RegistryRow> typeLib =
            RowsFromTypeLib(ReadIdl(ReadText(argv[2])), L"[#SealwingDll]", L"[INSTALLDIR]", L"$(var.TypeLibPlatform)");
        rows.insert(rows.end(), typeLib.begin(), typeLib.end());
        const std::string include = WixInclude(rows,
                                               "Written by write-msi-registry from resources/SealwingAddin.rgs and "
                                               "resources/SealwingLib.idl: edit those, not this.");
        std::ofstream file(argv[3], std::ios::binary | std::ios::trunc);
        file << include;
        file.close();
        if (!file) {
            std::cerr << "write-msi-registry: cannot write " << argv[3] << "\n";
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << "write-msi-registry: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
