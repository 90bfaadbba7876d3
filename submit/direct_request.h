#pragma once
// The direct-request worker of the batch: a target whose submit hint is an
// address with the website URL in it is submitted by requesting that address
// once; the answer itself is not examined.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/engine_record.h"
#include "core/event.h"
#include "core/messages.h"
#include "submit/page_fetch.h"

namespace larkspur::submit {

inline constexpr std::size_t kDirectRequestBufferSize = 32768;

// Expands the record's submit hint with `websiteUrl`, fetches the address
// with an event of its own (Stop and Cancel do not cut it short; only
// `abandon`, set when the program must end, does, and then the record is left
// as it was and nothing is posted), writes
// "Submit-OK"/"Submit-OK" when the fetch completed or "Submit-Error" and the
// fetch's error text (empty when it set none) when it did not, and posts the
// final report. Returns the fetch result. The worker count is the caller's
// business.
int32_t runDirectRequest(core::EngineRecord& record, std::string_view websiteUrl,
                         const core::Post& post, const PageFetchOptions& options = {},
                         const core::Event* abandon = nullptr);

}  // namespace larkspur::submit
