#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "localservice/Faults.h"
#include "localservice/ServiceState.h"

namespace sealwing::localservice {

// The seed of the local service: one record per line; blank lines and lines whose first non-blank character is '#'
// are skipped. A record is a keyword followed by name=value fields separated by blanks. A value holding blanks is
// written in double quotes, inside which \" \\ \n and \t stand for a quote, a backslash, a line break and a tab.
//
//   account email=ann@example.com password=secret type=pro first_name=Ann last_name=Lee date_created=2010-02-03
//           max_messages_per_day=100 max_recipients=50 max_attachment_size=10485760      (one line; all but email
//                                                                                          and password optional)
//   version major=1 minor=39 date=2011-06-01 info_url=https://... binary_url=https://...
//   message id=m1 from=ann@example.com sender_name="Ann Lee" to=bob@example.com;cy@example.com cc= bcc=
//           subject="Hello" body="Line one\nLine two"
//   attachment message=m1 id=a1 name=report.txt content="the bytes"      (or file=PATH, relative to the seed file)
//   fault endpoint=send status=400 explain="Bad & worse|Second" times=1 after=0   (after=N: from the N+1st request)
//   fault endpoint=version drop=before            (drop=before|body, or for a POST request|request_body; also
//                                                  delay_ms=N, body="<broken", chunk=N, chunk_pause_ms=N: each
//                                                  chunk after that pause)
//
// Endpoint names: checkUser, account, authStatus, message, send, attachment, version, logReport, reader.
// Returns the first error as "line N: what", empty on success.
std::string LoadSeed(std::string_view text, const std::filesystem::path& baseFolder, ServiceState& state,
                     FaultTable& faults);
std::string LoadSeedFile(const std::filesystem::path& file, ServiceState& state, FaultTable& faults);

}  // namespace sealwing::localservice
