#include "addin/RegistrarScript.h"

#include <cwctype>
#include <optional>

namespace sealwing::registrar {
namespace {

struct Token {
    std::wstring text;
    bool quoted = false;
    int line = 1;
};

bool IsPunctuation(std::wstring_view text) { return text == L"{" || text == L"}" || text == L"="; }

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

class Parser {
public:
    Parser(std::wstring_view text, const std::map<std::wstring, std::wstring>& replacements)
        : text_(text), replacements_(replacements) {}

    ParseResult Run() {
        ParseResult result;
        if (!Tokenize()) {
            result.error = error_;
            return result;
        }
        while (position_ < tokens_.size() && error_.empty()) {
            const Token& rootToken = tokens_[position_++];
            const std::optional<Root> root = RootOf(rootToken);
            if (!root) {
                Fail(rootToken, L"unknown root key '" + rootToken.text + L"'");
                break;
            }
            RootBlock block{*root, {}};
            if (!Expect(L"{")) break;
            ParseKeys(block.keys);
            if (!Expect(L"}")) break;
            result.script.roots.push_back(std::move(block));
        }
        result.error = error_;
        return result;
    }

private:
    bool Tokenize() {
        int line = 1;
        std::size_t i = 0;
        while (i < text_.size()) {
            const wchar_t c = text_[i];
            if (c == L'\n') ++line;
            if (std::iswspace(c)) {
                ++i;
            } else if (c == L'\'') {
                std::wstring raw;
                ++i;
                for (;;) {
                    if (i >= text_.size()) {
                        error_ = L"line " + std::to_wstring(line) + L": unterminated quoted text";
                        return false;
                    }
                    if (text_[i] == L'\'') {
                        if (i + 1 < text_.size() && text_[i + 1] == L'\'') {  // '' stands for one quote
                            raw += L'\'';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text_[i] == L'\n') ++line;
                    raw += text_[i++];
                }
                if (!AddToken(raw, true, line)) return false;
            } else {
                std::wstring raw;
                // As in the platform's registrar, braces and equals signs are tokens only when they stand alone, so
                // a class identifier in braces is one name.
                while (i < text_.size() && !std::iswspace(text_[i])) {
                    raw += text_[i++];
                }
                if (!AddToken(raw, false, line)) return false;
            }
        }
        return true;
    }

    bool AddToken(const std::wstring& raw, bool quoted, int line) {
        std::wstring replaced;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != L'%') {
                replaced += raw[i];
                continue;
            }
            const std::size_t end = raw.find(L'%', i + 1);
            if (end == std::wstring::npos) {
                error_ = L"line " + std::to_wstring(line) + L": unmatched '%'";
                return false;
            }
            const std::wstring name = raw.substr(i + 1, end - i - 1);
            if (name.empty()) {
                replaced += L'%';
            } else {
                const auto found = replacements_.find(name);
                if (found == replacements_.end()) {
                    error_ = L"line " + std::to_wstring(line) + L": no replacement for %" + name + L"%";
                    return false;
                }
                replaced += found->second;
            }
            i = end;
        }
        tokens_.push_back({std::move(replaced), quoted, line});
        return true;
    }

    static std::optional<Root> RootOf(const Token& token) {
        if (token.quoted) return std::nullopt;
        if (EqualsNoCase(token.text, L"HKCR") || EqualsNoCase(token.text, L"HKEY_CLASSES_ROOT")) {
            return Root::ClassesRoot;
        }
        if (EqualsNoCase(token.text, L"HKLM") || EqualsNoCase(token.text, L"HKEY_LOCAL_MACHINE")) {
            return Root::LocalMachine;
        }
        if (EqualsNoCase(token.text, L"HKCU") || EqualsNoCase(token.text, L"HKEY_CURRENT_USER")) {
            return Root::CurrentUser;
        }
        return std::nullopt;
    }

    bool AtPunctuation(std::wstring_view text) const {
        return position_ < tokens_.size() && !tokens_[position_].quoted && tokens_[position_].text == text;
    }

    bool AtWord(std::wstring_view word) const {
        return position_ < tokens_.size() && !tokens_[position_].quoted && EqualsNoCase(tokens_[position_].text, word);
    }

    bool Expect(std::wstring_view text) {
        if (AtPunctuation(text)) {
            ++position_;
            return true;
        }
        if (position_ < tokens_.size()) {
            Fail(tokens_[position_],
                 L"expected '" + std::wstring(text) + L"', found '" + tokens_[position_].text + L"'");
        } else {
            error_ = L"unexpected end of script, expected '" + std::wstring(text) + L"'";
        }
        return false;
    }

    void Fail(const Token& token, const std::wstring& message) {
        if (error_.empty()) error_ = L"line " + std::to_wstring(token.line) + L": " + message;
    }

    // A name token: anything but punctuation.
    std::optional<std::wstring> Name() {
        if (position_ >= tokens_.size()) {
            error_ = L"unexpected end of script, expected a name";
            return std::nullopt;
        }
        const Token& token = tokens_[position_];
        if (!token.quoted && IsPunctuation(token.text)) {
            Fail(token, L"expected a name, found '" + token.text + L"'");
            return std::nullopt;
        }
        ++position_;
        return token.text;
    }

    // "s 'text'" or "d 'number'" after an equals sign.
    std::optional<Value> Data(std::wstring name) {
        if (!Expect(L"=")) return std::nullopt;
        if (position_ + 1 >= tokens_.size()) {
            error_ = L"unexpected end of script, expected a typed value";
            return std::nullopt;
        }
        const Token& type = tokens_[position_++];
        const Token& data = tokens_[position_++];
        if (!type.quoted && EqualsNoCase(type.text, L"s")) return Value{std::move(name), data.text};
        if (!type.quoted && EqualsNoCase(type.text, L"d")) {
            const std::optional<std::uint32_t> number = Number(data.text);
            if (!number) {
                Fail(data, L"'" + data.text + L"' is not a number");
                return std::nullopt;
            }
            return Value{std::move(name), *number};
        }
        Fail(type, L"unsupported value type '" + type.text + L"'");
        return std::nullopt;
    }

    static std::optional<std::uint32_t> Number(const std::wstring& text) {
        int base = 10;
        std::size_t start = 0;
        if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
            base = 16;
            start = 2;
        }
        if (start >= text.size()) return std::nullopt;
        std::uint64_t number = 0;
        for (std::size_t i = start; i < text.size(); ++i) {
            const wchar_t c = static_cast<wchar_t>(std::towlower(text[i]));
            int digit = -1;
            if (c >= L'0' && c <= L'9') digit = c - L'0';
            if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
            if (digit < 0) return std::nullopt;
            number = number * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            if (number > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<std::uint32_t>(number);
    }

    void ParseKeys(std::vector<Key>& keys) {
        while (error_.empty() && position_ < tokens_.size() && !AtPunctuation(L"}")) {
            std::optional<Key> key = ParseKey();
            if (!key) return;
            keys.push_back(std::move(*key));
        }
    }

    // Modifiers, the name, an optional default value and an optional body of values and subkeys.
    std::optional<Key> ParseKey() {
        if (AtWord(L"val")) {
            Fail(tokens_[position_], L"a value needs a key");
            return std::nullopt;
        }
        Key key;
        for (;;) {
            if (AtWord(L"NoRemove")) {
                key.noRemove = true;
            } else if (AtWord(L"ForceRemove")) {
                key.forceRemove = true;
            } else {
                break;
            }
            ++position_;
        }
        const std::optional<std::wstring> name = Name();
        if (!name) return std::nullopt;
        key.name = *name;
        if (AtPunctuation(L"=")) {
            std::optional<Value> value = Data(L"");
            if (!value) return std::nullopt;
            key.values.push_back(std::move(*value));
        }
        if (AtPunctuation(L"{")) {
            ++position_;
            while (error_.empty() && position_ < tokens_.size() && !AtPunctuation(L"}")) {
                if (AtWord(L"val")) {
                    ++position_;
                    const std::optional<std::wstring> valueName = Name();
                    if (!valueName) return std::nullopt;
                    std::optional<Value> value = Data(*valueName);
                    if (!value) return std::nullopt;
                    key.values.push_back(std::move(*value));
                } else {
                    std::optional<Key> subkey = ParseKey();
                    if (!subkey) return std::nullopt;
                    key.subkeys.push_back(std::move(*subkey));
                }
            }
            if (!Expect(L"}")) return std::nullopt;
        }
        return key;
    }

    std::wstring_view text_;
    const std::map<std::wstring, std::wstring>& replacements_;
    std::vector<Token> tokens_;
    std::size_t position_ = 0;
    std::wstring error_;
};

bool HoldsNeverRemoved(const Key& key) {
    for (const Key& subkey : key.subkeys) {
        if (subkey.noRemove || HoldsNeverRemoved(subkey)) return true;
    }
    return false;
}

std::wstring Join(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

void PlanRegister(const Key& key, const Location& parent, std::vector<Operation>& plan) {
    const Location here{parent.root, Join(parent.path, key.name)};
    if (key.forceRemove) plan.push_back({Operation::Kind::DeleteTree, here, {}});
    plan.push_back({Operation::Kind::CreateKey, here, {}});
    for (const Value& value : key.values) plan.push_back({Operation::Kind::SetValue, here, value});
    for (const Key& subkey : key.subkeys) PlanRegister(subkey, here, plan);
}

void PlanUnregister(const Key& key, const Location& parent, std::vector<Operation>& plan) {
    const Location here{parent.root, Join(parent.path, key.name)};
    if (!key.noRemove && !HoldsNeverRemoved(key)) {
        plan.push_back({Operation::Kind::DeleteTree, here, {}});
        return;
    }
    for (const Key& subkey : key.subkeys) PlanUnregister(subkey, here, plan);
    if (!key.noRemove) plan.push_back({Operation::Kind::DeleteKeyIfEmpty, here, {}});
}

Location BaseOf(Root root, bool perUser) {
    switch (root) {
        case Root::ClassesRoot:
            return perUser ? Location{Root::CurrentUser, L"Software\\Classes"} : Location{Root::ClassesRoot, L""};
        case Root::LocalMachine:
            return perUser ? Location{Root::CurrentUser, L""} : Location{Root::LocalMachine, L""};
        case Root::CurrentUser:
            return Location{Root::CurrentUser, L""};
    }
    return Location{root, L""};
}

}  // namespace

ParseResult ParseScript(std::wstring_view text, const std::map<std::wstring, std::wstring>& replacements) {
    return Parser(text, replacements).Run();
}

std::vector<Operation> PlanScript(const Script& script, const PlanOptions& options) {
    std::vector<Operation> plan;
    for (const RootBlock& block : script.roots) {
        const Location base = BaseOf(block.root, options.perUser);
        for (const Key& key : block.keys) {
            if (options.mode == Mode::Register) {
                PlanRegister(key, base, plan);
            } else {
                PlanUnregister(key, base, plan);
            }
        }
    }
    return plan;
}

}  // namespace sealwing::registrar
