#include "service/ServiceReplies.h"

#include <cwctype>
#include <limits>

#include "platform/Text.h"

namespace sealwing::service {
namespace {

// The reply's root element, or null when the reply does not parse.
const xml::XmlNode* ParseRoot(xml::XmlDocument& document, ReplyText reply) {
    if (!std::visit([&document](auto text) { return document.Load(text).has_value(); }, reply)) return nullptr;
    return Root(document);
}

}  // namespace

std::int32_t ParseInteger(std::wstring_view text) {
    std::size_t at = 0;
    while (at < text.size() && std::iswspace(static_cast<std::wint_t>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        value = value * 10 + (text[at] - L'0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) break;  // saturates below
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

void ReadText(const xml::XmlNode& parent, std::wstring_view name, std::wstring& target) {
    if (const xml::XmlNode* child = Child(parent, name)) target = Text(*child);
}

void ReadInteger(const xml::XmlNode& parent, std::wstring_view name, std::int32_t& target) {
    if (const xml::XmlNode* child = Child(parent, name)) target = ParseInteger(Text(*child));
}

void ReadFlag(const xml::XmlNode& parent, std::wstring_view name, bool& target) {
    if (const xml::XmlNode* child = Child(parent, name)) target = platform::ToLower(Text(*child)) == L"true";
}

std::vector<std::wstring> ReadErrorExplanations(ReplyText reply) {
    xml::XmlDocument document;
    const xml::XmlNode* root = ParseRoot(document, reply);
    std::vector<std::wstring> explanations;
    if (root == nullptr || root->name != L"error") return explanations;
    for (const auto& child : root->children) explanations.push_back(xml::ConvertBack(Text(*child)));
    return explanations;
}

void ReadAccountStatus(ReplyText reply, AccountStatus& status) {
    status = AccountStatus{};
    xml::XmlDocument document;
    const xml::XmlNode* root = ParseRoot(document, reply);
    if (root == nullptr) return;
    bool success = false;
    ReadFlag(*root, L"success", success);
    if (!success) {
        status.registered = false;
        return;
    }
    // A missing "status", "acc" or "type" keeps what the reader had: registered, and a type that is not "free".
    const xml::XmlNode* standing = Child(*root, L"status");
    if (standing != nullptr) ReadFlag(*standing, L"acc", status.registered);
    if (!status.registered) return;
    std::wstring type;
    if (standing != nullptr) ReadText(*standing, L"type", type);
    status.pro = platform::ToLower(type) != L"free";
}

void ReadAccountInfo(ReplyText reply, AccountInfo& info) {
    xml::XmlDocument document;
    const xml::XmlNode* root = ParseRoot(document, reply);
    if (root == nullptr) return;
    ReadText(*root, L"email", info.email);
    ReadText(*root, L"first_name", info.first_name);
    ReadText(*root, L"last_name", info.last_name);
    ReadText(*root, L"date_created", info.date_created);
    ReadText(*root, L"type", info.type);
    ReadInteger(*root, L"max_messages_per_day", info.max_messages_per_day);
    ReadInteger(*root, L"max_recipients", info.max_recipients);
    ReadInteger(*root, L"max_attachment_size", info.max_attachment_size);
    ReadText(*root, L"session_id", info.session_id);
}

bool ReadSessionAlive(ReplyText reply) {
    xml::XmlDocument document;
    const xml::XmlNode* root = ParseRoot(document, reply);
    if (root == nullptr) return false;
    const xml::XmlNode* auth = Child(*root, L"auth");
    return auth != nullptr && Text(*auth) == L"true";
}

void ReadSecureMessage(ReplyText reply, SecureMessage& message) {
    xml::XmlDocument document;
    const xml::XmlNode* root = ParseRoot(document, reply);
    if (root == nullptr) return;
    // The body is the one long text of a reply: it moves out of the tree instead of being copied.
    xml::XmlNode* body = Child(*root, L"body");
    message.body = xml::ConvertBack(body != nullptr ? xml::TakeText(*body) : std::move(message.body));
    ReadText(*root, L"subject", message.subject);
    ReadText(*root, L"sender_name", message.sender_name);
    ReadText(*root, L"sender_email", message.sender_email);
    ReadText(*root, L"recipient", message.recipient);
    if (const xml::XmlNode* recipients = Child(*root, L"recipients")) {
        for (const auto& [listName, list] : {std::pair{L"to", &message.to}, std::pair{L"cc", &message.cc}}) {
            const xml::XmlNode* listNode = Child(*recipients, listName);
            if (listNode == nullptr) continue;
            for (const auto& item : listNode->children) {
                if (item->name == L"item") list->push_back(Text(*item));
            }
        }
    }
    if (const xml::XmlNode* attachments = Child(*root, L"attachments")) {
        for (const auto& entry : attachments->children) {
            SecureAttachment attachment;
            ReadText(*entry, L"id", attachment.id);
            ReadText(*entry, L"name", attachment.name);
            ReadText(*entry, L"short_name", attachment.short_name);
            ReadInteger(*entry, L"size", attachment.size);
            message.attachments.push_back(std::move(attachment));
        }
    }
}

void ReadVersionInfo(ReplyText reply, VersionInfo& version) {
    xml::XmlDocument document;
    const xml::XmlNode* root = ParseRoot(document, reply);
    if (root == nullptr) return;
    ReadText(*root, L"date", version.date);
    ReadText(*root, L"info_url", version.info_url);
    ReadText(*root, L"binary_url", version.binary_url);
    std::wstring text;
    ReadText(*root, L"version", text);
    version.major = ParseInteger(text);
    const auto dot = text.find(L'.');
    version.minor =
        ParseInteger(dot == std::wstring::npos ? std::wstring_view(text) : std::wstring_view(text).substr(dot + 1));
}

}  // namespace sealwing::service
