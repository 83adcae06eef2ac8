#include "localservice/SeedFile.h"

#include <charconv>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace sealwing::localservice {

namespace {

using Fields = std::map<std::string, std::string>;

// Splits one line into its keyword and fields; returns the error, empty on success.
std::string Tokenize(std::string_view line, std::string& keyword, Fields& fields) {
    std::size_t position = 0;
    auto skipBlanks = [&] {
        while (position < line.size() && (line[position] == ' ' || line[position] == '\t')) {
            ++position;
        }
    };
    skipBlanks();
    std::size_t start = position;
    while (position < line.size() && line[position] != ' ' && line[position] != '\t') {
        ++position;
    }
    keyword = std::string(line.substr(start, position - start));
    while (true) {
        skipBlanks();
        if (position >= line.size()) {
            return {};
        }
        std::size_t equals = line.find('=', position);
        std::size_t blank = line.find_first_of(" \t", position);
        if (equals == std::string_view::npos || (blank != std::string_view::npos && blank < equals)) {
            return "expected name=value at \"" + std::string(line.substr(position)) + "\"";
        }
        std::string name(line.substr(position, equals - position));
        position = equals + 1;
        std::string value;
        if (position < line.size() && line[position] == '"') {
            ++position;
            bool closed = false;
            while (position < line.size()) {
                char current = line[position++];
                if (current == '"') {
                    closed = true;
                    break;
                }
                if (current == '\\' && position < line.size()) {
                    char escaped = line[position++];
                    value.push_back(escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped);
                } else {
                    value.push_back(current);
                }
            }
            if (!closed) {
                return "unterminated quote in " + name;
            }
        } else {
            while (position < line.size() && line[position] != ' ' && line[position] != '\t') {
                value.push_back(line[position++]);
            }
        }
        fields[name] = std::move(value);
    }
}

class Record {
public:
    explicit Record(Fields fields) : fields_(std::move(fields)) {}

    std::string Text(const std::string& name, std::string fallback = {}) {
        auto found = fields_.find(name);
        if (found == fields_.end()) {
            return fallback;
        }
        std::string value = std::move(found->second);
        fields_.erase(found);
        return value;
    }
    bool Has(const std::string& name) const { return fields_.count(name) > 0; }
    int Number(const std::string& name, int fallback) {
        if (!Has(name)) {
            return fallback;
        }
        std::string text = Text(name);
        int value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) {
            error_ = name + " is not a number: " + text;
        }
        return value;
    }
    void Require(const std::string& name) {
        if (!Has(name) && error_.empty()) {
            error_ = name + " is missing";
        }
    }
    // The error of this record: a bad number, a missing or an unknown field.
    std::string Error() const {
        if (!error_.empty()) {
            return error_;
        }
        return fields_.empty() ? std::string() : "unknown field " + fields_.begin()->first;
    }
    void Fail(std::string error) {
        if (error_.empty()) {
            error_ = std::move(error);
        }
    }

private:
    Fields fields_;
    std::string error_;
};

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, separator)) {
        if (!item.empty()) {
            items.push_back(item);
        }
    }
    return items;
}

std::string LoadAccount(Record& record, ServiceState& state) {
    record.Require("email");
    record.Require("password");
    Account account;
    account.email = record.Text("email");
    account.password = record.Text("password");
    account.type = record.Text("type", account.type);
    account.firstName = record.Text("first_name");
    account.lastName = record.Text("last_name");
    account.dateCreated = record.Text("date_created", account.dateCreated);
    account.maxMessagesPerDay = record.Number("max_messages_per_day", account.maxMessagesPerDay);
    account.maxRecipients = record.Number("max_recipients", account.maxRecipients);
    account.maxAttachmentSize = record.Number("max_attachment_size", account.maxAttachmentSize);
    if (record.Error().empty()) {
        state.AddAccount(std::move(account));
    }
    return record.Error();
}

std::string LoadVersion(Record& record, ServiceState& state) {
    VersionRecord version = state.Version();
    version.major = record.Number("major", version.major);
    version.minor = record.Number("minor", version.minor);
    version.date = record.Text("date", version.date);
    version.infoUrl = record.Text("info_url", version.infoUrl);
    version.binaryUrl = record.Text("binary_url", version.binaryUrl);
    if (record.Error().empty()) {
        state.SetVersion(std::move(version));
    }
    return record.Error();
}

std::string LoadMessage(Record& record, ServiceState& state) {
    record.Require("id");
    record.Require("from");
    StoredMessage message;
    message.id = record.Text("id");
    message.senderEmail = record.Text("from");
    message.senderName = record.Text("sender_name");
    message.to = SplitList(record.Text("to"), ';');
    message.cc = SplitList(record.Text("cc"), ';');
    message.bcc = SplitList(record.Text("bcc"), ';');
    message.subject = record.Text("subject");
    message.body = record.Text("body");
    if (record.Error().empty()) {
        state.StoreMessage(std::move(message));
    }
    return record.Error();
}

std::string LoadAttachment(Record& record, const std::filesystem::path& baseFolder, ServiceState& state) {
    record.Require("message");
    record.Require("name");
    std::optional<StoredMessage> message = state.FindMessage(record.Text("message"));
    StoredAttachment attachment;
    attachment.id = record.Text("id");
    attachment.name = record.Text("name");
    if (record.Has("file")) {
        std::filesystem::path path = baseFolder / record.Text("file");
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            record.Fail("cannot read " + path.string());
        }
        attachment.content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } else {
        attachment.content = record.Text("content");
    }
    if (!message) {
        record.Fail("the message is not seeded (seed it on an earlier line)");
    }
    if (record.Error().empty()) {
        message->attachments.push_back(std::move(attachment));
        state.StoreMessage(std::move(*message));
    }
    return record.Error();
}

std::string LoadFault(Record& record, FaultTable& faults) {
    record.Require("endpoint");
    std::string name = record.Text("endpoint");
    std::optional<Endpoint> endpoint = EndpointFromName(name);
    if (!endpoint) {
        record.Fail("unknown endpoint " + name);
    }
    Fault fault;
    if (record.Has("status")) {
        fault.status = record.Number("status", 0);
    }
    if (record.Has("explain")) {
        fault.explanations = SplitList(record.Text("explain"), '|');
    }
    if (record.Has("body")) {
        fault.body = record.Text("body");
    }
    std::string drop = record.Text("drop", "none");
    if (drop == "before") {
        fault.drop = Drop::BeforeReply;
    } else if (drop == "body") {
        fault.drop = Drop::DuringBody;
    } else if (drop == "request") {
        fault.drop = Drop::BeforeRequestBody;
    } else if (drop == "request_body") {
        fault.drop = Drop::DuringRequestBody;
    } else if (drop != "none") {
        record.Fail("drop is before, body, request or request_body, not " + drop);
    }
    fault.delay = std::chrono::milliseconds(record.Number("delay_ms", 0));
    fault.chunkSize = static_cast<std::size_t>(record.Number("chunk", 0));
    fault.chunkPause = std::chrono::milliseconds(record.Number("chunk_pause_ms", 0));
    fault.times = record.Number("times", 0);
    fault.after = record.Number("after", 0);
    if (record.Error().empty()) {
        faults.Set(*endpoint, std::move(fault));
    }
    return record.Error();
}

}  // namespace

std::string LoadSeed(std::string_view text, const std::filesystem::path& baseFolder, ServiceState& state,
                     FaultTable& faults) {
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') {
            continue;
        }
        std::string keyword;
        Fields fields;
        std::string error = Tokenize(line, keyword, fields);
        if (error.empty()) {
            Record record(std::move(fields));
            if (keyword == "account") {
                error = LoadAccount(record, state);
            } else if (keyword == "version") {
                error = LoadVersion(record, state);
            } else if (keyword == "message") {
                error = LoadMessage(record, state);
            } else if (keyword == "attachment") {
                error = LoadAttachment(record, baseFolder, state);
            } else if (keyword == "fault") {
                error = LoadFault(record, faults);
            } else {
                error = "unknown record " + keyword;
            }
        }
        if (!error.empty()) {
            return "line " + std::to_string(lineNumber) + ": " + error;
        }
    }
    return {};
}

std::string LoadSeedFile(const std::filesystem::path& file, ServiceState& state, FaultTable& faults) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return "cannot read " + file.string();
    }
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::string error = LoadSeed(text, file.parent_path(), state, faults);
    return error.empty() ? error : file.string() + ": " + error;
}

}  // namespace sealwing::localservice
