#pragma once

#include <string>
#include <vector>

namespace sealwing::localservice {

// One account of the service. Limits default to those of a free account; SeedFile and tests override them.
struct Account {
    std::string email{};
    std::string password{};
    std::string type = "free";  // "free" or "pro"
    std::string firstName{};
    std::string lastName{};
    std::string dateCreated = "2011-01-01";
    int maxMessagesPerDay = 10;
    int maxRecipients = 10;
    int maxAttachmentSize = 10 * 1024 * 1024;  // bytes
};

// One part of a multipart/form-data body, as received.
struct FormPart {
    std::string name;
    bool isFile = false;  // the part named a filename
    std::string fileName;
    std::string contentType;  // empty when the part had no Content-Type line
    std::string content;
};

struct StoredAttachment {
    std::string id;
    std::string name;
    std::string content;
};

// A secure message held by the service: sent through rest/message.xml or seeded.
struct StoredMessage {
    std::string id;
    std::string senderEmail;
    std::string senderName;
    std::string subject;
    std::string body;
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    bool copyMe = false;
    bool notify = false;
    int expiresDays = -1;  // -1: never
    std::vector<StoredAttachment> attachments;
    std::vector<FormPart> form;  // the form exactly as posted, in order (empty for seeded messages)
};

struct VersionRecord {
    int major = 1;
    int minor = 38;
    std::string date = "2011-06-01";
    std::string infoUrl = "https://localhost/outlook-add-in/";
    std::string binaryUrl = "https://localhost/outlook-add-in/setup.exe";
};

}  // namespace sealwing::localservice
