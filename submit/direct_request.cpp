#include "submit/direct_request.h"

#include <string>
#include <vector>

#include "core/event.h"
#include "core/fixed_text.h"
#include "submit/hint_expansion.h"
#include "submit/submit_states.h"

namespace larkspur::submit {

int32_t runDirectRequest(core::EngineRecord& record, std::string_view websiteUrl,
                         const core::Post& post, const PageFetchOptions& options, const core::Event* abandon) {
  const std::string address = expandSubmitHint(core::fieldView(record.submit_hint), websiteUrl);
  std::vector<char> answer(kDirectRequestBufferSize, '\0');
  char errorText[kFetchErrorTextCapacity] = {};
  const core::Event ownEvent;  // nothing ever sets it
  uint32_t received = 0;
  const int32_t result = pageFetch(address, answer.data(), static_cast<uint32_t>(answer.size()), received,
                                   errorText, abandon ? *abandon : ownEvent, options);
  // A request the program gave up on (it is exiting) decided nothing.
  if (abandon && abandon->isSet()) return result;
  if (result == kFetchComplete) {
    core::copyText(record.submit_state, kStateOk);
    core::copyText(record.message, kMessageSubmitOk);
  } else {
    core::copyText(record.submit_state, kStateError);
    core::copyText(record.message, core::fieldView(errorText));
  }
  if (post) {
    core::Message message;
    message.id = core::MessageId::kSubmitProgress;
    message.record = &record;
    message.param = 1;
    message.text = std::string(core::fieldView(record.message));
    post(std::move(message));
  }
  return result;
}

}  // namespace larkspur::submit
