#include "submit/direct_request.h"

#include <string>
#include <vector>

#include "core/event.h"
#include "core/fixed_text.h"
#include "submit/hint_expansion.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

namespace {

// The standard reason phrase of the statuses servers commonly answer with; an
// unknown status has none.
std::string_view reasonPhrase(int32_t status) {
  switch (status) {
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 402: return "Payment Required";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 406: return "Not Acceptable";
    case 407: return "Proxy Authentication Required";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 410: return "Gone";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 415: return "Unsupported Media Type";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    case 505: return "HTTP Version Not Supported";
    default: return {};
  }
}

}  // namespace

std::string httpStatusText(int32_t status) {
  std::string text = "HTTP " + std::to_string(status);
  const std::string_view reason = reasonPhrase(status);
  if (!reason.empty()) {
    text += ' ';
    text += reason;
  }
  return text;
}

int32_t runDirectRequest(core::EngineRecord& record, std::string_view websiteUrl,
                         const core::Post& post, const web::PageFetchOptions& options, const core::Event* abandon) {
  const std::string address = expandSubmitHint(record.submit_hint.view(), websiteUrl);
  std::vector<char> answer(kDirectRequestBufferSize, '\0');
  char errorText[web::kFetchErrorTextCapacity] = {};
  const core::Event ownEvent;  // nothing ever sets it
  uint32_t received = 0;
  int32_t status = 0;
  const int32_t result = web::pageFetch(address, answer.data(), static_cast<uint32_t>(answer.size()), received,
                                   errorText, abandon ? *abandon : ownEvent, options, &status);
  // A request the program gave up on (it is exiting) decided nothing.
  if (abandon && abandon->isSet()) return result;
  if (result == web::kFetchComplete && status >= kFirstFailingHttpStatus) {
    // The server answered, but refused the address: not a submission.
    record.submit_state = kStateError;
    record.message = httpStatusText(status);
  } else if (result == web::kFetchComplete) {
    record.submit_state = kStateOk;
    record.message = kMessageSubmitOk;
  } else {
    record.submit_state = kStateError;
    record.message = core::fieldView(errorText);
  }
  if (post) {
    core::Message message;
    message.id = core::MessageId::kSubmitProgress;
    message.record = &record;
    message.param = 1;
    message.text = record.message.str();
    post(std::move(message));
  }
  return result;
}

}  // namespace larkspur::submit
