#include "localservice/ServiceEndpoints.h"

#include <algorithm>
#include <cstdlib>

#include "localservice/Multipart.h"
#include "localservice/WireText.h"

namespace sealwing::localservice {

namespace {

struct Target {
    std::vector<std::string> segments;
    std::vector<std::pair<std::string, std::string>> query;

    std::optional<std::string> Query(std::string_view name) const {
        for (const auto& [key, value] : query) {
            if (key == name) {
                return value;
            }
        }
        return std::nullopt;
    }
};

Target SplitTarget(std::string_view target) {
    Target split;
    std::size_t question = target.find('?');
    std::string_view path = target.substr(0, question);
    if (question != std::string_view::npos) {
        split.query = ParseQuery(target.substr(question + 1));
    }
    while (!path.empty() && path.front() == '/') {
        path.remove_prefix(1);
    }
    while (true) {
        std::size_t slash = path.find('/');
        split.segments.push_back(PercentDecode(path.substr(0, slash), false));
        if (slash == std::string_view::npos) {
            break;
        }
        path = path.substr(slash + 1);
    }
    return split;
}

bool Matches(const std::vector<std::string>& segments, std::initializer_list<std::string_view> fixed) {
    return segments.size() == fixed.size() && std::equal(fixed.begin(), fixed.end(), segments.begin());
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string WithoutXmlSuffix(const std::string& segment) { return segment.substr(0, segment.size() - 4); }

std::string Element(std::string_view name, std::string_view text) {
    return "<" + std::string(name) + ">" + EscapeMarkup(text) + "</" + std::string(name) + ">";
}

Reply XmlReply(std::string body) {
    Reply reply;
    reply.body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + std::move(body);
    return reply;
}

Reply HtmlReply(int status, std::string title, std::string content) {
    Reply reply;
    reply.status = status;
    reply.contentType = "text/html; charset=utf-8";
    reply.body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + EscapeMarkup(title) +
                 "</title></head>\n<body>\n" + std::move(content) + "</body></html>\n";
    return reply;
}

std::vector<std::string> SplitAddresses(std::string_view list) {
    std::vector<std::string> addresses;
    while (!list.empty()) {
        std::size_t end = list.find_first_of(";,");
        std::string_view item = list.substr(0, end);
        list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
        while (!item.empty() && item.front() == ' ') {
            item.remove_prefix(1);
        }
        while (!item.empty() && item.back() == ' ') {
            item.remove_suffix(1);
        }
        if (!item.empty()) {
            addresses.emplace_back(item);
        }
    }
    return addresses;
}

bool MayRead(const StoredMessage& message, const std::string& email) {
    auto listed = [&](const std::vector<std::string>& list) {
        return std::any_of(list.begin(), list.end(),
                           [&](const std::string& address) { return EqualsIgnoringCase(address, email); });
    };
    return EqualsIgnoringCase(message.senderEmail, email) || listed(message.to) || listed(message.cc) ||
           listed(message.bcc);
}

// The short name the service lists beside an attachment's full name.
std::string ShortName(const std::string& name) {
    constexpr std::size_t limit = 24;
    return name.size() <= limit ? name : name.substr(0, limit - 3) + "...";
}

std::optional<std::vector<FormPart>> ReadForm(const RecordedRequest& request) {
    std::optional<std::string> contentType = request.Header("Content-Type");
    if (!contentType) {
        return std::nullopt;
    }
    std::optional<std::string> boundary = MultipartBoundary(*contentType);
    if (!boundary) {
        return std::nullopt;
    }
    return ParseMultipart(request.body, *boundary);
}

const FormPart* FindField(const std::vector<FormPart>& form, std::string_view name) {
    for (const FormPart& part : form) {
        if (!part.isFile && part.name == name) {
            return &part;
        }
    }
    return nullptr;
}

std::string FieldText(const std::vector<FormPart>& form, std::string_view name) {
    const FormPart* part = FindField(form, name);
    return part ? part->content : std::string();
}

}  // namespace

Endpoint ClassifyEndpoint(std::string_view method, std::string_view target) {
    Target split = SplitTarget(target);
    const auto& segments = split.segments;
    if (method == "POST") {
        if (Matches(segments, {"rest", "message.xml"})) {
            return Endpoint::Send;
        }
        if (Matches(segments, {"secure", "log", "outlookEventReport"})) {
            return Endpoint::LogReport;
        }
        return Endpoint::Unknown;
    }
    if (method != "GET") {
        return Endpoint::Unknown;
    }
    if (Matches(segments, {"secure", "accounts", "checkUser"})) {
        return Endpoint::CheckUser;
    }
    if (Matches(segments, {"rest", "account.xml"})) {
        return Endpoint::Account;
    }
    if (Matches(segments, {"secure", "accounts", "authStatus"})) {
        return Endpoint::AuthStatus;
    }
    if (Matches(segments, {"downloads", "outlook-add-in", "version.xml"})) {
        return Endpoint::Version;
    }
    if (segments.size() == 3 && segments[0] == "rest" && segments[1] == "message" && EndsWith(segments[2], ".xml")) {
        return Endpoint::Message;
    }
    if (segments.size() == 4 && segments[0] == "rest" && segments[1] == "attachment" && EndsWith(segments[3], ".xml")) {
        return Endpoint::Attachment;
    }
    if (segments.size() == 3 && segments[0] == "outlook-reader") {
        return Endpoint::Reader;
    }
    return Endpoint::Unknown;
}

Reply ErrorReply(int status, const std::vector<std::string>& explanations) {
    std::string body = "<error>";
    for (std::size_t index = 0; index < explanations.size(); ++index) {
        body += Element("e" + std::to_string(index + 1), explanations[index]);
    }
    body += "</error>";
    Reply reply = XmlReply(std::move(body));
    reply.status = status;
    return reply;
}

Reply UnauthorizedReply() {
    Reply reply = ErrorReply(401, {"Authentication required"});
    reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"Parcelon\"");
    return reply;
}

Reply ServiceEndpoints::Answer(const RecordedRequest& request) const {
    switch (ClassifyEndpoint(request.method, request.target)) {
        case Endpoint::CheckUser:
            return CheckUser(request);
        case Endpoint::Account:
            return AccountInfo(request);
        case Endpoint::AuthStatus:
            return AuthStatus(request);
        case Endpoint::Message:
            return Message(request);
        case Endpoint::Send:
            return Send(request);
        case Endpoint::Attachment:
            return Attachment(request);
        case Endpoint::Version:
            return Version();
        case Endpoint::LogReport:
            return LogReport(request);
        case Endpoint::Reader:
            return Reader(request);
        case Endpoint::Unknown:
            break;
    }
    return ErrorReply(404, {"Not found"});
}

std::optional<Account> ServiceEndpoints::Authenticated(const RecordedRequest& request) const {
    std::optional<std::string> authorization = request.Header("Authorization");
    if (!authorization) {
        return std::nullopt;
    }
    auto credentials = ParseBasicCredentials(*authorization);
    if (!credentials) {
        return std::nullopt;
    }
    return state_.Authenticate(credentials->first, credentials->second);
}

Reply ServiceEndpoints::CheckUser(const RecordedRequest& request) const {
    std::optional<std::string> email = SplitTarget(request.target).Query("email");
    if (!email || email->empty()) {
        return ErrorReply(400, {"The e-mail address is missing"});
    }
    std::optional<Account> account = state_.FindAccount(*email);
    if (!account) {
        return XmlReply("<response><success>false</success><status><acc>false</acc></status></response>");
    }
    return XmlReply("<response><success>true</success><status><acc>true</acc>" + Element("type", account->type) +
                    "</status></response>");
}

Reply ServiceEndpoints::AccountInfo(const RecordedRequest& request) const {
    std::optional<Account> account = Authenticated(request);
    if (!account) {
        return UnauthorizedReply();
    }
    std::string body = "<account>" + Element("email", account->email) + Element("first_name", account->firstName) +
                       Element("last_name", account->lastName) + Element("date_created", account->dateCreated) +
                       Element("type", account->type) +
                       Element("max_messages_per_day", std::to_string(account->maxMessagesPerDay)) +
                       Element("max_recipients", std::to_string(account->maxRecipients)) +
                       Element("max_attachment_size", std::to_string(account->maxAttachmentSize));
    if (SplitTarget(request.target).Query("init_session") == "1") {
        body += Element("session_id", state_.CreateSession(account->email));
    }
    return XmlReply(body + "</account>");
}

Reply ServiceEndpoints::AuthStatus(const RecordedRequest& request) const {
    std::optional<std::string> session = SplitTarget(request.target).Query("session_id");
    bool alive = session && state_.SessionAccount(*session).has_value();
    return XmlReply(std::string("<response><auth>") + (alive ? "true" : "false") + "</auth></response>");
}

Reply ServiceEndpoints::Message(const RecordedRequest& request) const {
    std::optional<Account> account = Authenticated(request);
    if (!account) {
        return UnauthorizedReply();
    }
    std::string id = WithoutXmlSuffix(SplitTarget(request.target).segments[2]);
    std::optional<StoredMessage> message = state_.FindMessage(id);
    if (!message) {
        return ErrorReply(404, {"Message not found"});
    }
    if (!MayRead(*message, account->email)) {
        return ErrorReply(403, {"You are not a recipient of this message"});
    }
    std::string body = "<message>" + Element("id", message->id) + Element("body", message->body) +
                       Element("subject", message->subject) + Element("sender_name", message->senderName) +
                       Element("sender_email", message->senderEmail) + Element("recipient", account->email) +
                       "<recipients><to>";
    for (const std::string& address : message->to) {
        body += Element("item", address);
    }
    body += "</to><cc>";
    for (const std::string& address : message->cc) {
        body += Element("item", address);
    }
    body += "</cc></recipients><attachments>";
    for (const StoredAttachment& attachment : message->attachments) {
        body += "<attachment>" + Element("id", attachment.id) + Element("name", attachment.name) +
                Element("short_name", ShortName(attachment.name)) +
                Element("size", std::to_string(attachment.content.size())) + "</attachment>";
    }
    return XmlReply(body + "</attachments></message>");
}

Reply ServiceEndpoints::Send(const RecordedRequest& request) const {
    std::optional<Account> account = Authenticated(request);
    if (!account) {
        return UnauthorizedReply();
    }
    std::optional<std::vector<FormPart>> form = ReadForm(request);
    if (!form) {
        return ErrorReply(400, {"The message form could not be read"});
    }
    StoredMessage message;
    message.senderEmail = FieldText(*form, "email");
    message.senderName = account->firstName + (account->lastName.empty() ? "" : " " + account->lastName);
    message.body = FieldText(*form, "message");
    message.subject = FieldText(*form, "subject");
    message.to = SplitAddresses(FieldText(*form, "recipients"));
    message.cc = SplitAddresses(FieldText(*form, "recipients_cc"));
    message.bcc = SplitAddresses(FieldText(*form, "recipients_bcc"));
    message.copyMe = FieldText(*form, "copy_me") == "1";
    message.notify = FieldText(*form, "notify") == "1";
    if (const FormPart* expires = FindField(*form, "expires")) {
        message.expiresDays = std::atoi(expires->content.c_str());
    }
    for (const FormPart& part : *form) {
        if (part.isFile) {
            message.attachments.push_back({"", part.fileName, part.content});
        }
    }
    message.form = *form;

    std::vector<std::string> explanations;
    if (!EqualsIgnoringCase(message.senderEmail, account->email)) {
        explanations.push_back("The sender address does not belong to this account");
    }
    std::size_t recipients = message.to.size() + message.cc.size() + message.bcc.size();
    if (recipients == 0) {
        explanations.push_back("The message has no recipients");
    } else if (recipients > static_cast<std::size_t>(account->maxRecipients)) {
        explanations.push_back("Too many recipients: your account allows " + std::to_string(account->maxRecipients));
    }
    for (const StoredAttachment& attachment : message.attachments) {
        if (attachment.content.size() > static_cast<std::size_t>(account->maxAttachmentSize)) {
            explanations.push_back("The attachment " + attachment.name + " is larger than " +
                                   std::to_string(account->maxAttachmentSize) + " bytes");
        }
    }
    if (state_.MessagesSentBy(account->email) >= account->maxMessagesPerDay) {
        explanations.push_back("You have reached your daily limit of " + std::to_string(account->maxMessagesPerDay) +
                               " messages");
    }
    if (!explanations.empty()) {
        return ErrorReply(400, explanations);
    }
    std::string id = state_.StoreMessage(std::move(message));
    return XmlReply("<message>" + Element("id", id) + "</message>");
}

Reply ServiceEndpoints::Attachment(const RecordedRequest& request) const {
    std::optional<Account> account = Authenticated(request);
    if (!account) {
        return UnauthorizedReply();
    }
    Target split = SplitTarget(request.target);
    std::optional<StoredMessage> message = state_.FindMessage(split.segments[2]);
    if (!message) {
        return ErrorReply(404, {"Message not found"});
    }
    if (!MayRead(*message, account->email)) {
        return ErrorReply(403, {"You are not a recipient of this message"});
    }
    std::string id = WithoutXmlSuffix(split.segments[3]);
    for (const StoredAttachment& attachment : message->attachments) {
        if (attachment.id == id) {
            Reply reply;
            reply.contentType = "application/octet-stream";
            reply.body = attachment.content;
            return reply;
        }
    }
    return ErrorReply(404, {"Attachment not found"});
}

Reply ServiceEndpoints::Version() const {
    VersionRecord version = state_.Version();
    return XmlReply("<outlook_add_in>" +
                    Element("version", std::to_string(version.major) + "." + std::to_string(version.minor)) +
                    Element("date", version.date) + Element("info_url", version.infoUrl) +
                    Element("binary_url", version.binaryUrl) + "</outlook_add_in>");
}

Reply ServiceEndpoints::LogReport(const RecordedRequest& request) const {
    std::optional<std::vector<FormPart>> form = ReadForm(request);
    const FormPart* data = form ? FindField(*form, "data") : nullptr;
    if (!data) {
        return ErrorReply(400, {"The report is missing"});
    }
    state_.AddLogReport(data->content);
    return XmlReply("<response><success>true</success></response>");
}

Reply ServiceEndpoints::Reader(const RecordedRequest& request) const {
    Target split = SplitTarget(request.target);
    std::optional<std::string> email = state_.SessionAccount(split.segments[1]);
    if (!email) {
        return HtmlReply(401, "Session expired", "<p>Your session has expired. Please log in again.</p>\n");
    }
    std::optional<StoredMessage> message = state_.FindMessage(split.segments[2]);
    if (!message || !MayRead(*message, *email)) {
        return HtmlReply(404, "Message not found", "<p>This message does not exist or was not sent to you.</p>\n");
    }
    std::string content = "<h1 id=\"subject\">" + EscapeMarkup(message->subject) + "</h1>\n<p id=\"sender\">" +
                          EscapeMarkup(message->senderName) + " &lt;" + EscapeMarkup(message->senderEmail) +
                          "&gt;</p>\n<div id=\"body\">" + EscapeMarkup(message->body) +
                          "</div>\n<ul id=\"attachments\">\n";
    for (const StoredAttachment& attachment : message->attachments) {
        content += "<li data-id=\"" + EscapeMarkup(attachment.id) + "\">" + EscapeMarkup(attachment.name) + "</li>\n";
    }
    return HtmlReply(200, message->subject, content + "</ul>\n");
}

}  // namespace sealwing::localservice
