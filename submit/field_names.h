#pragma once
// Normalising the names of form fields before the fill rules see them: a
// target's field map renames its fields to profile keywords, and targets
// without a field map have a fixed table of renames.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine_record.h"

namespace larkspur::submit {

// The field map split at every semicolon, tab or line feed, tokens of 0 or 1
// characters dropped: "&a_text;DESCRIPTION;&a_xtra;KEYWORD;" gives "&a_text",
// "DESCRIPTION", "&a_xtra", "KEYWORD".
std::vector<std::string> fieldMapTokens(std::string_view field_map);

// Rewrites `name` (in capitals) for a field of element type `type` (in
// capitals, empty for text areas) of the target `record`. With a token list,
// the token after the first token equal to "&" + name (without regard to
// case) replaces the name, and nothing else applies; a matching token that is
// the last one maps nothing. Without tokens the per-target rename table
// applies, row by row, each row seeing the name the previous rows left.
void normaliseFieldName(std::string& name, std::string_view type,
                        const core::EngineRecord& record, std::span<const std::string> tokens);

}  // namespace larkspur::submit
