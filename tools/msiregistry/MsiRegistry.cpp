#include "tools/msiregistry/MsiRegistry.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "platform/Text.h"

namespace sealwing::tools {
namespace {

using registrar::Location;
using registrar::Operation;

// Stands for %MODULE% while the script's texts are escaped; a private-use character that no script holds.
constexpr std::wstring_view kModuleMark = L"\uE000module\uE000";

std::runtime_error Error(const std::wstring& message) { return std::runtime_error(platform::Utf8FromWide(message)); }

std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to) {
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The key below HKMU or HKCU where a location of the per-machine plan lands.
RegistryRow RowAt(const Location& location) {
    RegistryRow row;
    switch (location.root) {
        case registrar::Root::ClassesRoot:
            row.key = location.path.empty() ? L"Software\\Classes" : L"Software\\Classes\\" + location.path;
            break;
        case registrar::Root::LocalMachine:
            row.key = location.path;
            break;
        case registrar::Root::CurrentUser:
            row.root = RegistryRoot::CurrentUser;
            row.key = location.path;
            break;
    }
    return row;
}

bool IsAtOrBelow(const std::wstring& key, const std::wstring& top) {
    return key == top || (key.size() > top.size() && key.compare(0, top.size(), top) == 0 && key[top.size()] == L'\\');
}

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
    return text;
}

std::wstring Hex(unsigned number) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), kDigits[number % 16]);
        number /= 16;
    } while (number != 0);
    return text;
}

// A small reader of IDL: comments, quoted strings, identifiers and numbers, punctuation.
class IdlReader {
public:
    explicit IdlReader(std::wstring_view text) {
        std::size_t i = 0;
        while (i < text.size()) {
            const wchar_t c = text[i];
            if (std::iswspace(c)) {
                ++i;
            } else if (text.substr(i, 2) == L"//") {
                while (i < text.size() && text[i] != L'\n') ++i;
            } else if (text.substr(i, 2) == L"/*") {
                const std::size_t end = text.find(L"*/", i + 2);
                if (end == std::wstring_view::npos) throw Error(L"IDL: unterminated comment");
                i = end + 2;
            } else if (c == L'"') {
                std::wstring quoted;
                ++i;
                while (i < text.size() && text[i] != L'"') {
                    if (text[i] == L'\\' && i + 1 < text.size()) ++i;
                    quoted += text[i++];
                }
                if (i >= text.size()) throw Error(L"IDL: unterminated string");
                ++i;
                tokens_.push_back({std::move(quoted), true});
            } else if (std::iswalnum(c) || c == L'_' || c == L'.' || c == L'-') {
                std::wstring word;
                while (i < text.size() &&
                       (std::iswalnum(text[i]) || text[i] == L'_' || text[i] == L'.' || text[i] == L'-')) {
                    word += text[i++];
                }
                tokens_.push_back({std::move(word), false});
            } else {
                tokens_.push_back({std::wstring(1, c), false});
                ++i;
            }
        }
    }

    TypeLibFacts Read() {
        TypeLibFacts facts;
        bool haveLibrary = false;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            if (!IsPunct(i, L"[") || (i > 0 && !IsPunct(i - 1, L";") && !IsPunct(i - 1, L"{") &&
                                      !IsPunct(i - 1, L"}") && !IsPunct(i - 1, L"]"))) {
                continue;
            }
            std::map<std::wstring, std::wstring> attributes;
            const std::size_t after = ReadAttributes(i, attributes);
            if (after + 1 >= tokens_.size()) break;
            const std::wstring& kind = tokens_[after].text;
            const std::wstring& name = tokens_[after + 1].text;
            if (kind == L"library") {
                facts.name = name;
                facts.libid = Uuid(attributes, name);
                Version(attributes, facts);
                if (const auto lcid = attributes.find(L"lcid"); lcid != attributes.end()) {
                    facts.lcid = static_cast<unsigned>(std::stoul(lcid->second, nullptr, 0));
                }
                if (const auto help = attributes.find(L"helpstring"); help != attributes.end()) {
                    facts.helpString = help->second;
                }
                if (attributes.contains(L"restricted")) facts.flags |= 1;
                if (attributes.contains(L"control")) facts.flags |= 2;
                if (attributes.contains(L"hidden")) facts.flags |= 4;
                haveLibrary = true;
            } else if (kind == L"dispinterface" || (kind == L"interface" && (attributes.contains(L"dual") ||
                                                                             attributes.contains(L"oleautomation")))) {
                facts.interfaces.push_back({name, Uuid(attributes, name), kind == L"dispinterface"});
            }
            i = after;
        }
        if (!haveLibrary) throw Error(L"IDL: no library is declared");
        return facts;
    }

private:
    struct Token {
        std::wstring text;
        bool quoted = false;
    };

    bool IsPunct(std::size_t i, std::wstring_view text) const {
        return i < tokens_.size() && !tokens_[i].quoted && tokens_[i].text == text;
    }

    // Reads "[name, name(argument), ...]" from the bracket at `i`; returns the index after the closing bracket.
    std::size_t ReadAttributes(std::size_t i, std::map<std::wstring, std::wstring>& attributes) const {
        ++i;
        while (i < tokens_.size() && !IsPunct(i, L"]")) {
            if (IsPunct(i, L",")) {
                ++i;
                continue;
            }
            std::wstring name = tokens_[i++].text;
            std::wstring argument;
            if (IsPunct(i, L"(")) {
                int depth = 0;
                do {
                    if (IsPunct(i, L"(")) ++depth;
                    if (IsPunct(i, L")")) --depth;
                    if (depth > 0 && !IsPunct(i, L"(") && !IsPunct(i, L")")) argument += tokens_[i].text;
                    ++i;
                } while (i < tokens_.size() && depth > 0);
            }
            attributes[std::move(name)] = std::move(argument);
        }
        if (i >= tokens_.size()) throw Error(L"IDL: unterminated attribute list");
        return i + 1;
    }

    static std::wstring Uuid(const std::map<std::wstring, std::wstring>& attributes, const std::wstring& name) {
        const auto uuid = attributes.find(L"uuid");
        if (uuid == attributes.end() || uuid->second.empty()) throw Error(L"IDL: " + name + L" has no uuid");
        return L"{" + Upper(uuid->second) + L"}";
    }

    static void Version(const std::map<std::wstring, std::wstring>& attributes, TypeLibFacts& facts) {
        const auto version = attributes.find(L"version");
        if (version == attributes.end()) return;
        const std::size_t dot = version->second.find(L'.');
        facts.major = static_cast<unsigned>(std::stoul(version->second.substr(0, dot)));
        if (dot != std::wstring::npos) facts.minor = static_cast<unsigned>(std::stoul(version->second.substr(dot + 1)));
    }

    std::vector<Token> tokens_;
};

RegistryRow ValueRow(const std::wstring& key, std::wstring name, std::wstring text) {
    RegistryRow row;
    row.key = key;
    row.name = std::move(name);
    row.text = std::move(text);
    return row;
}

RegistryRow KeyRow(RegistryRow::Kind kind, const std::wstring& key) {
    RegistryRow row;
    row.kind = kind;
    row.key = key;
    return row;
}

void AppendXml(std::string& out, std::wstring_view text) {
    for (const wchar_t c : text) {
        switch (c) {
            case L'&':
                out += "&amp;";
                break;
            case L'<':
                out += "&lt;";
                break;
            case L'>':
                out += "&gt;";
                break;
            case L'"':
                out += "&quot;";
                break;
            default:
                platform::AppendUtf8(out, std::wstring_view(&c, 1));
        }
    }
}

}  // namespace

std::wstring FormattedLiteral(std::wstring_view text, bool isValue) {
    std::wstring out;
    if (isValue && !text.empty() && text.front() == L'#') out += L'#';
    for (const wchar_t c : text) {
        if (c == L'[') {
            out += L"[\\[]";
        } else if (c == L']') {
            out += L"[\\]]";
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<RegistryRow> RowsFromRegistrarScript(std::wstring_view script, std::wstring_view moduleReference) {
    const registrar::ParseResult parsed = registrar::ParseScript(script, {{L"MODULE", std::wstring(kModuleMark)}});
    if (!parsed.Ok()) throw Error(L"registrar script: " + parsed.error);

    // What unregistration removes with its tree: those keys are the add-in's own.
    std::vector<std::wstring> removedTrees;
    for (const Operation& operation : registrar::PlanScript(parsed.script, {registrar::Mode::Unregister, false})) {
        if (operation.kind == Operation::Kind::DeleteTree) removedTrees.push_back(RowAt(operation.key).key);
    }
    const auto ownKey = [&](const std::wstring& key) {
        return std::any_of(removedTrees.begin(), removedTrees.end(),
                           [&](const std::wstring& top) { return IsAtOrBelow(key, top); });
    };

    std::vector<RegistryRow> rows;
    std::vector<std::wstring> created;  // in order, once each
    std::set<std::wstring> withValues;
    for (const Operation& operation : registrar::PlanScript(parsed.script, {registrar::Mode::Register, false})) {
        RegistryRow row = RowAt(operation.key);
        if (operation.kind == Operation::Kind::CreateKey) {
            if (std::find(created.begin(), created.end(), row.key) == created.end()) created.push_back(row.key);
        } else if (operation.kind == Operation::Kind::SetValue) {
            withValues.insert(row.key);
            row.key = FormattedLiteral(row.key, false);
            row.name = FormattedLiteral(operation.value.name, false);
            if (const auto* number = std::get_if<std::uint32_t>(&operation.value.data)) {
                row.isNumber = true;
                row.text = std::to_wstring(*number);
            } else {
                row.text = ReplaceAll(FormattedLiteral(std::get<std::wstring>(operation.value.data), true), kModuleMark,
                                      moduleReference);
            }
            rows.push_back(std::move(row));
        }
        // A ForceRemove key's removal before it is written has no row: a fresh installation finds no such key,
        // and an upgrade removes the older package's keys first.
    }
    for (const std::wstring& key : created) {
        if (withValues.contains(key) || !ownKey(key)) continue;
        const bool removedHere = std::find(removedTrees.begin(), removedTrees.end(), key) != removedTrees.end();
        rows.push_back(KeyRow(removedHere ? RegistryRow::Kind::CreateAndRemoveKey : RegistryRow::Kind::CreateKey, key));
    }
    for (const std::wstring& top : removedTrees) {
        if (withValues.contains(top) || std::find(created.begin(), created.end(), top) == created.end()) {
            rows.push_back(KeyRow(RegistryRow::Kind::RemoveKeyTree, top));
        }
    }
    for (RegistryRow& row : rows) {
        if (row.kind != RegistryRow::Kind::Value) row.key = FormattedLiteral(row.key, false);
    }
    return rows;
}

TypeLibFacts ReadIdl(std::wstring_view idl) { return IdlReader(idl).Read(); }

std::vector<RegistryRow> RowsFromTypeLib(const TypeLibFacts& typeLib, std::wstring_view fileReference,
                                         std::wstring_view helpDirectoryReference, std::wstring_view platform) {
    const std::wstring version = Hex(typeLib.major) + L"." + Hex(typeLib.minor);
    const std::wstring versionKey = L"Software\\Classes\\TypeLib\\" + typeLib.libid + L"\\" + version;
    const std::wstring description = typeLib.helpString.empty() ? typeLib.name : typeLib.helpString;
    std::vector<RegistryRow> rows{
        ValueRow(versionKey, L"", FormattedLiteral(description, true)),
        ValueRow(versionKey + L"\\FLAGS", L"", std::to_wstring(typeLib.flags)),
        ValueRow(versionKey + L"\\" + Hex(typeLib.lcid) + L"\\" + std::wstring(platform), L"",
                 std::wstring(fileReference)),
        ValueRow(versionKey + L"\\HELPDIR", L"", std::wstring(helpDirectoryReference)),
        KeyRow(RegistryRow::Kind::RemoveKeyTree, versionKey),
    };
    for (const TypeLibFacts::Interface& interface : typeLib.interfaces) {
        const std::wstring key = L"Software\\Classes\\Interface\\" + interface.iid;
        // Automation's marshalling: IDispatch's proxy for dispinterfaces, the type library's for the others.
        const std::wstring proxy = interface.dispatchOnly ? L"{00020420-0000-0000-C000-000000000046}"
                                                          : L"{00020424-0000-0000-C000-000000000046}";
        rows.push_back(ValueRow(key, L"", FormattedLiteral(interface.name, true)));
        rows.push_back(ValueRow(key + L"\\ProxyStubClsid", L"", proxy));
        rows.push_back(ValueRow(key + L"\\ProxyStubClsid32", L"", proxy));
        rows.push_back(ValueRow(key + L"\\TypeLib", L"", typeLib.libid));
        rows.push_back(ValueRow(key + L"\\TypeLib", L"Version", version));
        rows.push_back(KeyRow(RegistryRow::Kind::RemoveKeyTree, key));
    }
    return rows;
}

std::string WixInclude(const std::vector<RegistryRow>& rows, std::string_view header) {
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- ";
    out += header;
    out += " -->\n<Include xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n";
    for (const RegistryRow& row : rows) {
        out += "  <RegistryValue Root=\"";
        out += row.root == RegistryRoot::UserOrMachine ? "HKMU" : "HKCU";
        out += "\" Key=\"";
        AppendXml(out, row.key);
        out += "\"";
        switch (row.kind) {
            case RegistryRow::Kind::Value:
                if (!row.name.empty()) {
                    out += " Name=\"";
                    AppendXml(out, row.name);
                    out += "\"";
                }
                out += row.isNumber ? " Type=\"integer\" Value=\"" : " Type=\"string\" Value=\"";
                AppendXml(out, row.text);
                out += "\"";
                break;
            case RegistryRow::Kind::CreateKey:
                out += " Name=\"+\" Type=\"string\"";
                break;
            case RegistryRow::Kind::RemoveKeyTree:
                out += " Name=\"-\" Type=\"string\"";
                break;
            case RegistryRow::Kind::CreateAndRemoveKey:
                out += " Name=\"*\" Type=\"string\"";
                break;
        }
        out += " />\n";
    }
    out += "</Include>\n";
    return out;
}

}  // namespace sealwing::tools
