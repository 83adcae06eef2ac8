// The dialog templates in resources/Dialogs.rc, which the Windows build runs, against their descriptions in
// dialogs/, which the simulated Outlook shows: ids, kinds, texts and rectangles must agree.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagnostics/CrashReportDialogTemplate.h"
#include "diagnostics/LogViewerDialogTemplate.h"
#include "dialogs/LoginDialogTemplate.h"
#include "mailstore/MapEmailDialogTemplate.h"
#include "platform/Dialog.h"

namespace sealwing::dialogs {
namespace {

using platform::ControlKind;
using platform::DialogTemplate;

// Every described template; a new dialog adds its line here.
const DialogTemplate* const kDescribedTemplates[] = {
    &kLoginDialogTemplate,
    &diagnostics::kCrashReportDialogTemplate,
    &diagnostics::kLogViewerDialogTemplate,
    &mailstore::kMapEmailDialogTemplate,
};

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Static:
            return "Static";
        case ControlKind::Edit:
            return "Edit";
        case ControlKind::ReadOnlyEdit:
            return "ReadOnlyEdit";
        case ControlKind::PasswordEdit:
            return "PasswordEdit";
        case ControlKind::MultilineEdit:
            return "MultilineEdit";
        case ControlKind::CheckBox:
            return "CheckBox";
        case ControlKind::Button:
            return "Button";
        case ControlKind::DefaultButton:
            return "DefaultButton";
        case ControlKind::ComboBox:
            return "ComboBox";
        case ControlKind::Progress:
            return "Progress";
        case ControlKind::Link:
            return "Link";
        case ControlKind::RichEdit:
            return "RichEdit";
    }
    return "?";
}

// --- A reader of the DIALOGEX blocks of a resource script ----------------------------------------------------------

struct RcControl {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::wstring text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct RcDialog {
    int id = 0;
    int width = 0;
    int height = 0;
    std::wstring caption;
    std::set<std::string> style;
    std::set<std::string> exStyle;
    std::wstring fontName;
    int fontSize = 0;
    std::vector<RcControl> controls;
};

struct Token {
    enum class Type { Word, String, Comma, Bar, End } type = Type::End;
    std::string text;
    int line = 0;
};

// Splits a resource script into words, strings, commas and bars; comments and preprocessor lines are dropped.
// Strings are ASCII only: windres reads a script in a code page of its own choosing, so other characters would not
// come out as written.
std::vector<Token> Tokenise(const std::string& script) {
    std::vector<Token> tokens;
    int line = 1;
    bool lineStart = true;
    std::size_t i = 0;
    const auto fail = [&line](const std::string& what) {
        throw std::runtime_error("line " + std::to_string(line) + ": " + what);
    };
    while (i < script.size()) {
        const char c = script[i];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (lineStart && c == '#') {
            while (i < script.size() && script[i] != '\n') ++i;
            continue;
        }
        lineStart = false;
        if (script.compare(i, 2, "//") == 0) {
            while (i < script.size() && script[i] != '\n') ++i;
        } else if (script.compare(i, 2, "/*") == 0) {
            const std::size_t end = script.find("*/", i + 2);
            if (end == std::string::npos) fail("unterminated comment");
            for (std::size_t k = i; k < end; ++k) line += script[k] == '\n' ? 1 : 0;
            i = end + 2;
        } else if (c == ',' || c == '|') {
            tokens.push_back({c == ',' ? Token::Type::Comma : Token::Type::Bar, std::string(1, c), line});
            ++i;
        } else if (c == '"') {
            std::string text;
            for (++i;; ++i) {
                if (i >= script.size() || script[i] == '\n') fail("unterminated string");
                const char s = script[i];
                if (static_cast<unsigned char>(s) >= 0x80) fail("a character outside ASCII in a string");
                if (s == '"' && i + 1 < script.size() && script[i + 1] == '"') {
                    text += '"';
                    ++i;
                } else if (s == '"') {
                    ++i;
                    break;
                } else if (s == '\\' && i + 1 < script.size()) {
                    const char e = script[++i];
                    text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                } else {
                    text += s;
                }
            }
            tokens.push_back({Token::Type::String, text, line});
        } else {
            std::string word;
            while (i < script.size() && !std::isspace(static_cast<unsigned char>(script[i])) && script[i] != ',' &&
                   script[i] != '|' && script[i] != '"') {
                word += script[i++];
            }
            tokens.push_back({Token::Type::Word, word, line});
        }
    }
    tokens.push_back({Token::Type::End, "", line});
    return tokens;
}

// One argument of a statement: a string, or words joined by bars (a style: "ES_READONLY | WS_TABSTOP").
struct Argument {
    std::optional<std::string> string;
    std::vector<std::string> words;
    int line = 0;
};

class RcReader {
public:
    explicit RcReader(const std::string& script) : tokens_(Tokenise(script)) {}

    std::vector<RcDialog> Dialogs() {
        std::vector<RcDialog> dialogs;
        while (Peek().type != Token::Type::End) {
            // Top-level statements are "<name> <type> ...": only dialogs matter here; others are skipped whole.
            if (Peek().type == Token::Type::Word && Peek(1).type == Token::Type::Word && Peek(1).text == "DIALOGEX") {
                dialogs.push_back(ReadDialog());
            } else if (Peek().type == Token::Type::Word && Peek().text == "BEGIN") {
                SkipBlock();
            } else {
                ++at_;
            }
        }
        return dialogs;
    }

private:
    const Token& Peek(std::size_t ahead = 0) const { return tokens_[std::min(at_ + ahead, tokens_.size() - 1)]; }
    const Token& Take() { return tokens_[std::min(at_++, tokens_.size() - 1)]; }

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw std::runtime_error("line " + std::to_string(line) + ": " + what);
    }

    void SkipBlock() {
        int depth = 0;
        do {
            const Token& token = Take();
            if (token.type == Token::Type::End) Fail(token.line, "BEGIN without END");
            if (token.type == Token::Type::Word && token.text == "BEGIN") ++depth;
            if (token.type == Token::Type::Word && token.text == "END") --depth;
        } while (depth > 0);
    }

    Argument ReadArgument() {
        Argument argument;
        argument.line = Peek().line;
        if (Peek().type == Token::Type::String) {
            argument.string = Take().text;
            return argument;
        }
        for (;;) {
            const Token& word = Take();
            if (word.type != Token::Type::Word) Fail(word.line, "expected a value, found '" + word.text + "'");
            if (word.text == "NOT") {
                const Token& negated = Take();
                argument.words.push_back("NOT " + negated.text);
            } else {
                argument.words.push_back(word.text);
            }
            if (Peek().type != Token::Type::Bar) return argument;
            ++at_;
        }
    }

    // The arguments after a keyword: comma-separated, up to the first argument not followed by a comma.
    std::vector<Argument> ReadArguments() {
        std::vector<Argument> arguments{ReadArgument()};
        while (Peek().type == Token::Type::Comma) {
            ++at_;
            arguments.push_back(ReadArgument());
        }
        return arguments;
    }

    int Number(const Argument& argument) const {
        static const std::map<std::string, int> kNamed = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
        if (argument.string || argument.words.size() != 1) Fail(argument.line, "expected a number");
        const std::string& word = argument.words.front();
        if (const auto named = kNamed.find(word); named != kNamed.end()) return named->second;
        std::size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(word, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != word.size()) Fail(argument.line, "'" + word + "' is not a number this reader knows");
        return value;
    }

    std::wstring Text(const Argument& argument) const {
        if (!argument.string) Fail(argument.line, "expected a string");
        return std::wstring(argument.string->begin(), argument.string->end());
    }

    static std::set<std::string> Styles(const std::vector<Argument>& arguments, std::size_t index) {
        if (index >= arguments.size()) return {};
        return {arguments[index].words.begin(), arguments[index].words.end()};
    }

    static ControlKind EditKind(const std::set<std::string>& style) {
        if (style.contains("ES_PASSWORD")) return ControlKind::PasswordEdit;
        if (style.contains("ES_MULTILINE")) return ControlKind::MultilineEdit;
        if (style.contains("ES_READONLY")) return ControlKind::ReadOnlyEdit;
        return ControlKind::Edit;
    }

    ControlKind ClassKind(const Argument& className, const std::set<std::string>& style) const {
        std::string name = className.string ? *className.string : className.words.front();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == "static") return ControlKind::Static;
        if (name == "edit") return EditKind(style);
        if (name == "combobox") return ControlKind::ComboBox;
        if (name == "msctls_progress32" || name == "progress_class") return ControlKind::Progress;
        if (name == "syslink" || name == "wc_link") return ControlKind::Link;
        if (name == "richedit20w" || name == "richedit50w" || name == "richedit_class") return ControlKind::RichEdit;
        if (name == "button") {
            if (style.contains("BS_DEFPUSHBUTTON")) return ControlKind::DefaultButton;
            if (style.contains("BS_AUTOCHECKBOX") || style.contains("BS_CHECKBOX")) return ControlKind::CheckBox;
            return ControlKind::Button;
        }
        Fail(className.line, "control class '" + name + "' is not one a template describes");
    }

    RcControl ReadControl() {
        const Token keyword = Take();
        if (keyword.type != Token::Type::Word) Fail(keyword.line, "expected a control statement");
        const std::vector<Argument> args = ReadArguments();
        const auto need = [&](std::size_t count) {
            if (args.size() < count) Fail(keyword.line, keyword.text + " needs " + std::to_string(count) + " values");
        };
        RcControl control;
        const auto place = [&](std::size_t first) {
            control.x = Number(args[first]);
            control.y = Number(args[first + 1]);
            control.width = Number(args[first + 2]);
            control.height = Number(args[first + 3]);
        };
        static const std::map<std::string, ControlKind> kTextStatements = {
            {"LTEXT", ControlKind::Static},
            {"RTEXT", ControlKind::Static},
            {"CTEXT", ControlKind::Static},
            {"PUSHBUTTON", ControlKind::Button},
            {"DEFPUSHBUTTON", ControlKind::DefaultButton},
            {"AUTOCHECKBOX", ControlKind::CheckBox},
            {"CHECKBOX", ControlKind::CheckBox},
        };
        if (const auto found = kTextStatements.find(keyword.text); found != kTextStatements.end()) {
            need(6);  // text, id, x, y, width, height [, style [, extended style]]
            control.kind = found->second;
            control.text = Text(args[0]);
            control.id = Number(args[1]);
            place(2);
        } else if (keyword.text == "EDITTEXT" || keyword.text == "COMBOBOX") {
            need(5);  // id, x, y, width, height [, style [, extended style]]
            control.kind = keyword.text == "COMBOBOX" ? ControlKind::ComboBox : EditKind(Styles(args, 5));
            control.id = Number(args[0]);
            place(1);
        } else if (keyword.text == "CONTROL") {
            need(8);  // text, id, class, style, x, y, width, height [, extended style]
            control.text = Text(args[0]);
            control.id = Number(args[1]);
            control.kind = ClassKind(args[2], Styles(args, 3));
            place(4);
        } else {
            Fail(keyword.line, "control statement '" + keyword.text + "' is not one this reader knows");
        }
        return control;
    }

    RcDialog ReadDialog() {
        RcDialog dialog;
        const Token name = Take();
        dialog.id = Number(Argument{std::nullopt, {name.text}, name.line});
        Take();  // DIALOGEX
        const std::vector<Argument> place = ReadArguments();
        if (place.size() < 4) Fail(name.line, "DIALOGEX needs x, y, width and height");
        dialog.width = Number(place[2]);
        dialog.height = Number(place[3]);
        for (;;) {
            const Token keyword = Take();
            if (keyword.type != Token::Type::Word) Fail(keyword.line, "expected a dialog attribute");
            if (keyword.text == "BEGIN") break;
            const std::vector<Argument> args = ReadArguments();
            if (keyword.text == "STYLE") {
                dialog.style = Styles(args, 0);
            } else if (keyword.text == "EXSTYLE") {
                dialog.exStyle = Styles(args, 0);
            } else if (keyword.text == "CAPTION") {
                dialog.caption = Text(args[0]);
            } else if (keyword.text == "FONT") {
                if (args.size() < 2) Fail(keyword.line, "FONT needs a size and a name");
                dialog.fontSize = Number(args[0]);
                dialog.fontName = Text(args[1]);
            }
        }
        while (!(Peek().type == Token::Type::Word && Peek().text == "END")) {
            if (Peek().type == Token::Type::End) Fail(name.line, "dialog without END");
            dialog.controls.push_back(ReadControl());
        }
        ++at_;
        return dialog;
    }

    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

std::vector<RcDialog> ReadDialogs(const std::string& script) { return RcReader(script).Dialogs(); }

std::string ResourceScript() {
    const std::string path = std::string(SEALWING_RESOURCES_DIR) + "/Dialogs.rc";
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// --- The templates ---------------------------------------------------------------------------------------------------

class DialogTemplatesTest : public testing::TestWithParam<const DialogTemplate*> {};

TEST_P(DialogTemplatesTest, TheResourceMatchesItsDescription) {
    const DialogTemplate& described = *GetParam();
    const std::vector<RcDialog> dialogs = ReadDialogs(ResourceScript());
    const RcDialog* resource = nullptr;
    for (const RcDialog& dialog : dialogs) {
        if (dialog.id == described.id) resource = &dialog;
    }
    ASSERT_NE(resource, nullptr) << "no DIALOGEX " << described.id << " in resources/Dialogs.rc";

    EXPECT_EQ(resource->width, described.width);
    EXPECT_EQ(resource->height, described.height);
    EXPECT_EQ(resource->caption, described.caption);
    EXPECT_EQ(resource->exStyle.contains("WS_EX_TOPMOST"), described.topmost);
    EXPECT_EQ(resource->fontName, L"MS Shell Dlg");
    EXPECT_EQ(resource->fontSize, 8);
    EXPECT_TRUE(resource->style.contains("DS_SHELLFONT") || resource->style.contains("DS_SETFONT"))
        << "without DS_SETFONT the FONT line is ignored";

    ASSERT_EQ(resource->controls.size(), described.controls.size());
    std::set<int> ids;
    for (std::size_t i = 0; i < described.controls.size(); ++i) {
        const platform::ControlTemplate& want = described.controls[i];
        const RcControl& have = resource->controls[i];
        SCOPED_TRACE("control #" + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
        EXPECT_EQ(have.id, want.id);
        EXPECT_STREQ(KindName(have.kind), KindName(want.kind));
        EXPECT_EQ(have.text, want.text);
        EXPECT_EQ((std::vector<int>{have.x, have.y, have.width, have.height}),
                  (std::vector<int>{want.x, want.y, want.width, want.height}));
        if (have.id >= 0) {
            EXPECT_TRUE(ids.insert(have.id).second) << "two controls share this id";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Described, DialogTemplatesTest, testing::ValuesIn(kDescribedTemplates),
                         [](const testing::TestParamInfo<const DialogTemplate*>& info) {
                             return "Template" + std::to_string(info.param->id);
                         });

TEST(DialogTemplatesListTest, EveryDialogInTheResourcesIsDescribed) {
    for (const RcDialog& dialog : ReadDialogs(ResourceScript())) {
        bool described = false;
        for (const DialogTemplate* candidate : kDescribedTemplates) described |= candidate->id == dialog.id;
        EXPECT_TRUE(described) << "DIALOGEX " << dialog.id << " has no description in dialogs/";
    }
}

// The reader decides whether a template passes, so each statement form a template may use is read here once.
TEST(DialogTemplatesListTest, TheReaderKnowsEachStatementFormATemplateUses) {
    const std::string script = R"rc(
#define SEALWING_UNUSED 1
2 RT_MANIFEST "Dialogs.manifest"
7 DIALOGEX 0, 0, 100, 50
STYLE DS_SHELLFONT | WS_POPUP
CAPTION "Quote "" and \\ back"
FONT 8, "MS Shell Dlg", 0, 0, 0x1
BEGIN
    /* a comment */ LTEXT "a", -1, 1, 2, 3, 4
    CTEXT "b", IDC_STATIC, 1, 2, 3, 4, SS_NOTIFY
    EDITTEXT 10, 1, 2, 3, 4
    EDITTEXT 11, 1, 2, 3, 4, ES_AUTOHSCROLL | ES_READONLY
    EDITTEXT 12, 1, 2, 3, 4, ES_PASSWORD
    EDITTEXT 13, 1, 2, 3, 4, ES_MULTILINE | ES_READONLY | WS_VSCROLL, WS_EX_STATICEDGE
    AUTOCHECKBOX "c", 14, 1, 2, 3, 4
    PUSHBUTTON "d", IDCANCEL, 1, 2, 3, 4, NOT WS_TABSTOP
    DEFPUSHBUTTON "e", IDOK, 1, 2, 3, 4
    COMBOBOX 15, 1, 2, 3, 40, CBS_DROPDOWNLIST | WS_VSCROLL
    CONTROL "", 16, "msctls_progress32", WS_BORDER, 1, 2, 3, 4
    CONTROL "<a href=""x"">f</a>", 17, "SysLink", WS_TABSTOP,
            1, 2, 3, 4
    CONTROL "", 18, "RichEdit20W", ES_MULTILINE | ES_READONLY, 1, 2, 3, 4
    CONTROL "g", 19, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 1, 2, 3, 4
    CONTROL "h", 20, Button, BS_DEFPUSHBUTTON, 1, 2, 3, 4
END
)rc";
    const std::vector<RcDialog> dialogs = ReadDialogs(script);
    ASSERT_EQ(dialogs.size(), 1u);
    const RcDialog& dialog = dialogs.front();
    EXPECT_EQ(dialog.id, 7);
    EXPECT_EQ(dialog.caption, L"Quote \" and \\ back");
    EXPECT_EQ(dialog.fontName, L"MS Shell Dlg");
    const struct {
        int id;
        ControlKind kind;
        std::wstring text;
    } expected[] = {
        {-1, ControlKind::Static, L"a"},        {-1, ControlKind::Static, L"b"},
        {10, ControlKind::Edit, L""},           {11, ControlKind::ReadOnlyEdit, L""},
        {12, ControlKind::PasswordEdit, L""},   {13, ControlKind::MultilineEdit, L""},
        {14, ControlKind::CheckBox, L"c"},      {2, ControlKind::Button, L"d"},
        {1, ControlKind::DefaultButton, L"e"},  {15, ControlKind::ComboBox, L""},
        {16, ControlKind::Progress, L""},       {17, ControlKind::Link, L"<a href=\"x\">f</a>"},
        {18, ControlKind::RichEdit, L""},       {19, ControlKind::CheckBox, L"g"},
        {20, ControlKind::DefaultButton, L"h"},
    };
    ASSERT_EQ(dialog.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE("statement #" + std::to_string(i));
        EXPECT_EQ(dialog.controls[i].id, expected[i].id);
        EXPECT_STREQ(KindName(dialog.controls[i].kind), KindName(expected[i].kind));
        EXPECT_EQ(dialog.controls[i].text, expected[i].text);
        EXPECT_EQ((std::vector<int>{dialog.controls[i].x, dialog.controls[i].y, dialog.controls[i].width}),
                  (std::vector<int>{1, 2, 3}));
    }
}

TEST(DialogTemplatesListTest, TheReaderRefusesWhatItCannotReadRatherThanPassingIt) {
    const char* const scripts[] = {
        "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n    GROUPBOX \"g\", 3, 1, 2, 3, 4\nEND\n",
        "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n    CONTROL \"\", 3, \"SysTreeView32\", 0, 1, 2, 3, 4\nEND\n",
        "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n    LTEXT \"a\", IDC_NAME, 1, 2, 3, 4\nEND\n",
        "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n    LTEXT \"caf\xc3\xa9\", 3, 1, 2, 3, 4\nEND\n",
        "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n    LTEXT \"a\", 3, 1, 2, 3\nEND\n",
        "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n    LTEXT \"a\", 3, 1, 2, 3, 4\n",
    };
    for (const char* script : scripts) {
        SCOPED_TRACE(script);
        EXPECT_THROW(ReadDialogs(script), std::runtime_error);
    }
}

}  // namespace
}  // namespace sealwing::dialogs
