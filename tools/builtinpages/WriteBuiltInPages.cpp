// Writes the browser window's built-in pages as HTML files, for scripts/render-builtin-pages.sh to render:
//
//   write-builtin-pages OUTPUT_FOLDER
//
// Each file starts with a UTF-8 byte order mark, which a browser obeys before the page's own charset declaration:
// the browser window writes the page into its document as text, where that declaration has no say either.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Text.h"
#include "reading/BrowserWindow.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write-builtin-pages OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::pair<const char*, std::wstring> pages[] = {
        {"network-failure", sealwing::CBrowserWindow::NetworkFailurePage()},
        {"authentication-failure", sealwing::CBrowserWindow::AuthenticationFailurePage()},
        {"message-not-found", sealwing::CBrowserWindow::MessageNotFoundPage()},
    };
    for (const auto& [name, page] : pages) {
        std::ofstream out(folder / (std::string(name) + ".html"), std::ios::binary | std::ios::trunc);
        out << "\xEF\xBB\xBF" << sealwing::platform::Utf8FromWide(page);
        if (!out) {
            std::fprintf(stderr, "write-builtin-pages: cannot write %s\n", name);
            return 1;
        }
    }
    return 0;
}
