// Reading the service's message reply, from the UTF-8 bytes that arrive to the message's record, set against its
// anchors measured in the same loop: tinyxml2 and pugixml parsing the same bytes and reading the same fields (their
// texts stay UTF-8, so the anchors do a little less). Replies of 18 KB to 275 KB, as the service sends them; the goal
// is a ratio to tinyxml2 of at most 1. A second case reads a reply four times as large as the first: nothing in the
// reading may grow faster than the reply, so the time grows at most 4.4 times.

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <chrono>
#include <pugixml.hpp>
#include <string>

#include "bench/Timing.h"
#include "platform/Text.h"
#include "service/ServiceReplies.h"

namespace {

using namespace sealwing;
using sealwing::bench::Clock;
using sealwing::bench::Seconds;

// A message reply whose body is about `bodyBytes` of HTML: markup, references, non-ASCII text and line breaks, as a
// secure message's body arrives.
std::string MessageReply(std::size_t bodyBytes) {
    const std::string paragraph =
        "<p style=\"font-family:Tahoma\">Dear J\xc3\xbcrgen, the figures for Q3 &amp; Q4 are attached. "
        "\xe6\x9d\xb1\xe4\xba\xac office: 3 &lt; 4 &gt; 2.</p>\r\n";
    std::string body;
    while (body.size() < bodyBytes) body += paragraph;
    std::string reply =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<message><subject>Q3 &amp; Q4 figures</subject>"
        "<sender_name>Carol D\xc3\xa9j\xc3\xa0</sender_name><sender_email>carol@example.com</sender_email>"
        "<recipient>ann@example.com</recipient><body><![CDATA[" +
        body +
        "]]></body><recipients><to><item>ann@example.com</item><item>bob@example.com</item></to>"
        "<cc><item>cy@example.com</item></cc></recipients><attachments>";
    for (int index = 1; index <= 3; ++index) {
        const std::string number = std::to_string(index);
        reply += "<attachment><id>" + number + "</id><name>C:\\Reports\\figures-" + number +
                 ".xlsx</name><short_name>figures-" + number + ".xlsx</short_name><size>20480</size></attachment>";
    }
    return reply + "</attachments></message>";
}

std::size_t ReadOwn(const std::string& bytes) {
    service::SecureMessage message;
    service::ReadSecureMessage(bytes, message);
    return message.body.size() + message.to.size() + message.attachments.size();
}

std::size_t ReadTinyXml2(const std::string& bytes) {
    tinyxml2::XMLDocument document;
    if (document.Parse(bytes.data(), bytes.size()) != tinyxml2::XML_SUCCESS) return 0;
    const tinyxml2::XMLElement* root = document.FirstChildElement("message");
    if (root == nullptr) return 0;
    auto text = [](const tinyxml2::XMLElement* parent, const char* name) {
        const tinyxml2::XMLElement* child = parent->FirstChildElement(name);
        const char* value = child != nullptr ? child->GetText() : nullptr;
        return std::string(value != nullptr ? value : "");
    };
    std::size_t read = text(root, "body").size() + text(root, "subject").size() + text(root, "sender_name").size() +
                       text(root, "sender_email").size() + text(root, "recipient").size();
    if (const tinyxml2::XMLElement* recipients = root->FirstChildElement("recipients")) {
        for (const char* list : {"to", "cc"}) {
            const tinyxml2::XMLElement* items = recipients->FirstChildElement(list);
            for (auto* item = items != nullptr ? items->FirstChildElement("item") : nullptr; item != nullptr;
                 item = item->NextSiblingElement("item")) {
                read += std::string(item->GetText() != nullptr ? item->GetText() : "").size();
            }
        }
    }
    if (const tinyxml2::XMLElement* attachments = root->FirstChildElement("attachments")) {
        for (auto* entry = attachments->FirstChildElement(); entry != nullptr; entry = entry->NextSiblingElement()) {
            read += text(entry, "id").size() + text(entry, "name").size() + text(entry, "short_name").size() +
                    static_cast<std::size_t>(std::stoll("0" + text(entry, "size")));
        }
    }
    return read;
}

std::size_t ReadPugixml(const std::string& bytes) {
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size())) return 0;
    const pugi::xml_node root = document.child("message");
    std::size_t read = std::string(root.child_value("body")).size() + std::string(root.child_value("subject")).size() +
                       std::string(root.child_value("sender_name")).size() +
                       std::string(root.child_value("sender_email")).size() +
                       std::string(root.child_value("recipient")).size();
    for (const char* list : {"to", "cc"}) {
        for (const pugi::xml_node item : root.child("recipients").child(list).children("item")) {
            read += std::string(item.child_value()).size();
        }
    }
    for (const pugi::xml_node entry : root.child("attachments").children()) {
        read += std::string(entry.child_value("id")).size() + std::string(entry.child_value("name")).size() +
                std::string(entry.child_value("short_name")).size() +
                static_cast<std::size_t>(std::stoll("0" + std::string(entry.child_value("size"))));
    }
    return read;
}

void BM_MessageReplyAgainstTinyXml2AndPugixml(benchmark::State& state) {
    const std::string reply = MessageReply(static_cast<std::size_t>(state.range(0)) * 1024);
    double own = 0;
    double tinyxml2 = 0;
    double pugixml = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(ReadOwn(reply));
        const auto ownDone = Clock::now();
        benchmark::DoNotOptimize(ReadTinyXml2(reply));
        const auto tinyDone = Clock::now();
        benchmark::DoNotOptimize(ReadPugixml(reply));
        const auto pugiDone = Clock::now();
        own += Seconds(ownDone - start);
        tinyxml2 += Seconds(tinyDone - ownDone);
        pugixml += Seconds(pugiDone - tinyDone);
        state.SetIterationTime(Seconds(ownDone - start));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
    state.counters["tinyxml2_us"] = benchmark::Counter(tinyxml2 * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["pugixml_us"] = benchmark::Counter(pugixml * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["ratio_to_tinyxml2"] = tinyxml2 > 0 ? own / tinyxml2 : 0;
    state.counters["ratio_to_pugixml"] = pugixml > 0 ? own / pugixml : 0;
}
BENCHMARK(BM_MessageReplyAgainstTinyXml2AndPugixml)->Arg(18)->Arg(275)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same reading of a reply and of one four times its size, alternately: their time's ratio.
void BM_MessageReplyFourTimesTheInput(benchmark::State& state) {
    const std::string small = MessageReply(static_cast<std::size_t>(state.range(0)) * 1024);
    const std::string large = MessageReply(static_cast<std::size_t>(state.range(0)) * 4 * 1024);
    double smallTime = 0;
    double largeTime = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(ReadOwn(small));
        const auto smallDone = Clock::now();
        benchmark::DoNotOptimize(ReadOwn(large));
        smallTime += Seconds(smallDone - start);
        largeTime += Seconds(Clock::now() - smallDone);
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
    state.counters["small_us"] = benchmark::Counter(smallTime * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["large_us"] = benchmark::Counter(largeTime * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["time_ratio_for_4x_input"] = smallTime > 0 ? largeTime / smallTime : 0;
}
BENCHMARK(BM_MessageReplyFourTimesTheInput)->Arg(64)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
