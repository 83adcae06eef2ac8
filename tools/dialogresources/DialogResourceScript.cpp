#include "tools/dialogresources/DialogResourceScript.h"

#include <set>
#include <stdexcept>

#include "platform/Text.h"

namespace sealwing::tools {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;

const char kPreamble[] =
    "// Written from the dialog descriptions (the *DialogTemplate.h headers) by write-dialog-resources: change the\n"
    "// descriptions and write this file again, never edit it. Included by Sealwing.rc; the Windows test program\n"
    "// compiles it on its own to run the same templates.\n"
    "#pragma code_page(65001)\n"
    "#include <windows.h>\n"
    "\n"
    "// 2: the id a DLL's own manifest conventionally has; Win32UserInterface activates it around every dialog.\n"
    "2 RT_MANIFEST \"Dialogs.manifest\"\n";

// A resource-script string: quotes doubled, backslashes and the two allowed control characters escaped.
std::string Quoted(std::wstring_view text) {
    std::wstring escaped;
    for (const wchar_t c : text) {
        if (c == L'"') {
            escaped += L"\"\"";
        } else if (c == L'\\') {
            escaped += L"\\\\";
        } else if (c == L'\n') {
            escaped += L"\\n";
        } else if (c == L'\t') {
            escaped += L"\\t";
        } else if (c < 0x20 || c == 0x7f) {
            throw std::invalid_argument("a dialog text holds a control character: " + platform::Utf8FromWide(text));
        } else {
            escaped += c;
        }
    }
    return '"' + platform::Utf8FromWide(escaped) + '"';
}

std::string Id(int id) {
    if (id == platform::kDialogOk) return "IDOK";
    if (id == platform::kDialogCancel) return "IDCANCEL";
    return std::to_string(id);
}

std::string Rectangle(const ControlTemplate& control) {
    return std::to_string(control.x) + ", " + std::to_string(control.y) + ", " + std::to_string(control.width) + ", " +
           std::to_string(control.height);
}

std::string WithText(const char* statement, const ControlTemplate& control) {
    return std::string(statement) + ' ' + Quoted(control.text) + ", " + Id(control.id) + ", " + Rectangle(control);
}

std::string Edit(const ControlTemplate& control, const char* styles) {
    return "EDITTEXT " + Id(control.id) + ", " + Rectangle(control) + ", " + styles;
}

std::string Custom(const ControlTemplate& control, const char* windowClass, const char* styles) {
    return "CONTROL " + Quoted(control.text) + ", " + Id(control.id) + ", \"" + windowClass + "\", " + styles + ", " +
           Rectangle(control);
}

std::string Statement(const ControlTemplate& control) {
    switch (control.kind) {
        case ControlKind::Static:
            return WithText("LTEXT", control);
        case ControlKind::Edit:
            return Edit(control, "ES_AUTOHSCROLL");
        case ControlKind::ReadOnlyEdit:
            return Edit(control, "ES_AUTOHSCROLL | ES_READONLY | NOT WS_TABSTOP");
        case ControlKind::PasswordEdit:
            return Edit(control, "ES_AUTOHSCROLL | ES_PASSWORD");
        case ControlKind::MultilineEdit:
            return Edit(control, "ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL");
        case ControlKind::CheckBox:
            return WithText("AUTOCHECKBOX", control);
        case ControlKind::Button:
            return WithText("PUSHBUTTON", control);
        case ControlKind::DefaultButton:
            return WithText("DEFPUSHBUTTON", control);
        case ControlKind::ComboBox:
            return "COMBOBOX " + Id(control.id) + ", " + Rectangle(control) +
                   ", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP";
        case ControlKind::Progress:
            return Custom(control, "msctls_progress32", "WS_BORDER");
        case ControlKind::Link:
            return Custom(control, "SysLink", "WS_TABSTOP");
        case ControlKind::RichEdit:
            return Custom(control, "RichEdit20W", "ES_MULTILINE | ES_READONLY | WS_VSCROLL");
        case ControlKind::GroupBox:
            return WithText("GROUPBOX", control);
    }
    throw std::invalid_argument("a control of an unknown kind");
}

std::string Dialog(const DialogTemplate& dialog) {
    std::string script = "\n// " + platform::Utf8FromWide(dialog.caption) + "\n";
    script += std::to_string(dialog.id) + " DIALOGEX 0, 0, " + std::to_string(dialog.width) + ", " +
              std::to_string(dialog.height) + "\n";
    script += "STYLE DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU\n";
    if (dialog.topmost) script += "EXSTYLE WS_EX_TOPMOST\n";
    script += "CAPTION " + Quoted(dialog.caption) + "\n";
    script += "FONT 8, \"MS Shell Dlg\"\nBEGIN\n";
    std::set<int> ids;
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id >= 0 && !ids.insert(control.id).second) {
            throw std::invalid_argument("dialog " + std::to_string(dialog.id) + " has two controls with the id " +
                                        std::to_string(control.id));
        }
        script += "    " + Statement(control) + "\n";
    }
    return script + "END\n";
}

}  // namespace

std::string DialogResourceScript(std::span<const DialogTemplate* const> dialogs) {
    std::string script = kPreamble;
    std::set<int> ids;
    for (const DialogTemplate* dialog : dialogs) {
        if (!ids.insert(dialog->id).second) {
            throw std::invalid_argument("two dialogs have the id " + std::to_string(dialog->id));
        }
        script += Dialog(*dialog);
    }
    return script;
}

}  // namespace sealwing::tools
