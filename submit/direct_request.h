#pragma once
// The direct-request worker of the batch: a target whose submit hint is an
// address with the website URL in it is submitted by requesting that address
// once; only the answer's HTTP status is examined, not its page.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/engine_record.h"
#include "core/event.h"
#include "core/messages.h"
#include "web/page_fetch.h"

namespace larkspur::submit {

inline constexpr std::size_t kDirectRequestBufferSize = 32768;
// Answers with this status or above refuse the request.
inline constexpr int32_t kFirstFailingHttpStatus = 400;

// "HTTP 404 Not Found": the status and its standard reason phrase, or only
// the status ("HTTP 599") when it has no common one.
std::string httpStatusText(int32_t status);

// Expands the record's submit hint with `websiteUrl`, fetches the address
// with an event of its own (Stop and Cancel do not cut it short; only
// `abandon`, set when the program must end, does, and then the record is left
// as it was and nothing is posted), writes "Submit-OK"/"Submit-OK" when the
// fetch completed with a status below 400, "Submit-Error" and the status text
// (see httpStatusText) when it completed with 400 or above, or "Submit-Error"
// and the fetch's error text (empty when it set none) when it did not
// complete, and posts the final report. Returns the fetch result. The worker
// count is the caller's business.
int32_t runDirectRequest(core::EngineRecord& record, std::string_view websiteUrl,
                         const core::Post& post, const web::PageFetchOptions& options = {},
                         const core::Event* abandon = nullptr);

}  // namespace larkspur::submit
