#pragma once
// Messages workers send to the windows (or the command-line front end) that
// show their results. A worker posts a message and goes on: posting never
// blocks and never runs the receiver on the worker's thread.

#include <cstdint>
#include <functional>
#include <string>

namespace larkspur::core {

enum class MessageId : int32_t {
  kLinkFound = 2125,         // record: a Link record just appended to the Link list
  kRecordChanged = 2128,     // record: a Link or Engine record whose fields changed; param: row
  kPageRankFinished = 2129,  // the engine page-rank update ended
  kSubmitProgress = 3025,    // record: an Engine record; param: 0 progress, 1 final report
  kDownloadProgress = 3026,  // param: percent done
  kDownloadEnd = 3027,       // param: result of the download
  kJobNotice = 4001,         // text: a sentence for the user about a running job, said once
};

struct Message {
  MessageId id;
  void* record = nullptr;  // the record the message is about, by address
  int64_t param = 0;
  std::string text;        // a copy of what the record said when posted, if useful
};

// Delivers a message to its receiver later, on the receiver's own thread.
using Post = std::function<void(Message)>;

}  // namespace larkspur::core
