#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "addin/RegistrarScript.h"

// The installer package's registry rows, made from the same sources as the DLL's own registration: the registrar
// script (the class, its ProgIDs, Outlook's add-in entry) and the type library's IDL (what registering the type
// library writes). The package writes the keys itself; it never calls the DLL's self-registration.
//
// Every key of the script's classes root and local-machine root lands under the installer's "user or machine" root
// (HKMU): the current user's hive in a per-user installation, where "Software\Classes" is the user's classes key, as
// the per-user registration writes them; the local machine in a per-machine one (ALLUSERS=1).

namespace sealwing::tools {

enum class RegistryRoot { UserOrMachine, CurrentUser };

struct RegistryRow {
    enum class Kind {
        Value,              // a value written on install and removed on uninstall
        CreateKey,          // an empty key, created on install ("+")
        RemoveKeyTree,      // the key and everything below it removed on uninstall ("-")
        CreateAndRemoveKey  // both ("*")
    };
    Kind kind = Kind::Value;
    RegistryRoot root = RegistryRoot::UserOrMachine;
    std::wstring key;
    std::wstring name;  // the value's name; empty for the default value
    bool isNumber = false;
    std::wstring text;  // the value as installer formatted text (a number in decimal)
    friend bool operator==(const RegistryRow&, const RegistryRow&) = default;
};

// The rows of a registrar script, parsed with %MODULE% standing for the installer's reference to the DLL's path
// (for example "[#SealwingDll]"). Keys that the script creates without values and that its unregistration removes
// (ForceRemove keys such as "Programmable") become empty keys; each key that unregistration removes with its tree
// is removed on uninstall. Keys marked never removed get no row: the installer creates them as parents of the
// add-in's keys. Throws std::runtime_error on a script that does not parse.
std::vector<RegistryRow> RowsFromRegistrarScript(std::wstring_view script, std::wstring_view moduleReference);

// What the IDL declares of its type library: the library and its Automation interfaces.
struct TypeLibFacts {
    std::wstring name;
    std::wstring libid;  // upper case, in braces
    unsigned major = 0;
    unsigned minor = 0;
    unsigned lcid = 0;
    std::wstring helpString;
    unsigned flags = 0;  // restricted 1, control 2, hidden 4
    struct Interface {
        std::wstring name;
        std::wstring iid;           // upper case, in braces
        bool dispatchOnly = false;  // a dispinterface (proxied by IDispatch) rather than a dual or oleautomation one
    };
    std::vector<Interface> interfaces;
};

// Reads the attributes of the library and of each dual, oleautomation or dispatch interface of an IDL text.
// Throws std::runtime_error when the text declares no library or a declaration lacks its uuid.
TypeLibFacts ReadIdl(std::wstring_view idl);

// The rows that registering the type library writes: the library's version key (help string, FLAGS, the file for
// the platform "win32" or "win64", HELPDIR) and each interface's key (name, proxy stub, its library), each removed
// with its tree on uninstall.
std::vector<RegistryRow> RowsFromTypeLib(const TypeLibFacts& typeLib, std::wstring_view fileReference,
                                         std::wstring_view helpDirectoryReference, std::wstring_view platform);

// The text as a literal in the installer's formatted strings: brackets are escaped (braces stay, so class
// identifiers read as they are), and a value that starts with '#' is not taken for a number.
std::wstring FormattedLiteral(std::wstring_view text, bool isValue);

// A WiX include of RegistryValue elements, one per row, for the component that holds the DLL. Substituted
// references (%MODULE%'s stand-in, the directory) are written as they are; every other text is a literal.
std::string WixInclude(const std::vector<RegistryRow>& rows, std::string_view header);

}  // namespace sealwing::tools
