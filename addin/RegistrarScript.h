#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The registrar script language of the DLL's registration resources, and what running it writes or removes. Parsing
// and planning are portable so the exact keys can be checked without a registry; a thin executor applies the plan.

namespace sealwing::registrar {

enum class Root { ClassesRoot, LocalMachine, CurrentUser };

struct Value {
    std::wstring name;  // empty: the key's default value
    std::variant<std::wstring, std::uint32_t> data;
};

struct Key {
    std::wstring name;
    bool noRemove = false;     // never removed on unregistration
    bool forceRemove = false;  // removed with its whole tree before it is written
    std::vector<Value> values;
    std::vector<Key> subkeys;
};

struct RootBlock {
    Root root = Root::ClassesRoot;
    std::vector<Key> keys;
};

struct Script {
    std::vector<RootBlock> roots;
};

struct ParseResult {
    Script script;
    std::wstring error;  // empty when the text parsed
    bool Ok() const { return error.empty(); }
};

// Names between percent signs are replaced from the map ("%%" is a percent sign); an unknown name is an error.
ParseResult ParseScript(std::wstring_view text, const std::map<std::wstring, std::wstring>& replacements);

// Where a key lands: the hive and the path below it.
struct Location {
    Root root = Root::LocalMachine;
    std::wstring path;
    friend bool operator==(const Location&, const Location&) = default;
};

struct Operation {
    enum class Kind {
        CreateKey,         // create or open
        SetValue,          // value
        DeleteTree,        // the key and everything below it; a missing key is no error
        DeleteKeyIfEmpty,  // a removable key that holds a never-removed key
    };
    Kind kind = Kind::CreateKey;
    Location key;
    Value value;
};

enum class Mode { Register, Unregister };

struct PlanOptions {
    Mode mode = Mode::Register;
    // Per-user installation: the classes root becomes the current user's classes key, and the local-machine part
    // (Outlook's add-in list) goes under the current user as well, since a per-user install has no administrator.
    bool perUser = false;
};

// What running the script does, in order. Unregistration removes every key but those marked never removed; their
// subkeys are still visited.
std::vector<Operation> PlanScript(const Script& script, const PlanOptions& options);

}  // namespace sealwing::registrar
