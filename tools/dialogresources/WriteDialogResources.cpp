// Writes resources/Dialogs.rc from the dialog descriptions:
//   build/native/bin/write-dialog-resources resources/Dialogs.rc

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>

#include "tools/dialogresources/DialogResourceScript.h"
#include "tools/dialogresources/DialogResources.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: write-dialog-resources <resource script to write>\n";
        return 2;
    }
    try {
        const std::string script = sealwing::tools::DialogResourceScript(sealwing::tools::kDialogResources);
        std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
        file << script;
        file.close();
        if (!file) {
            std::cerr << "write-dialog-resources: cannot write " << argv[1] << "\n";
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << "write-dialog-resources: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
