#pragma once
// The toolbar PageRank (0 to 10) of one address, asked of the toolbar query
// service: one GET through the page fetch, the rank read from the answer.

#include <cstdint>
#include <string>
#include <string_view>

#include "web/page_fetch.h"

namespace larkspur::links {

inline constexpr uint32_t kPageRankAnswerCapacity = 16384;
inline constexpr char kPageRankRequestFormat[] =
    "/search?client=navclient-auto&ch=%s&features=Rank&q=info:%s";

// The toolbar checksum of an address: "7", a check digit, then the 32-bit
// hash in unsigned decimal. "abc" gives "728738946".
std::string toolbarChecksum(std::string_view address);

// The request URL for an address (taken unchanged, not escaped) on the
// toolbar query host, through the service base when one is set.
std::string pageRankRequestUrl(std::string_view address);

// The rank in an answer: 0 unless the answer holds "Rank_1"; then the one
// character after the last ':' (the first character when there is no ':'),
// 0 when it is not a digit. The answer is text: it ends at its first NUL.
int32_t parsePageRank(std::string_view answer);

// What a query did, for diagnostics.
struct PageRankDetails {
  std::string checksum;
  std::string requestUrl;
  int32_t fetchResult = 0;
  std::string errorText;  // the fetch's error text, empty when it set none
};

// Sets `pageRank` to 0, then queries the service. Returns 0 when the service
// was reached (the rank then comes from the answer, 0 when it carries none)
// and -1 when the fetch failed. `stop` (the program's stop signal, for the
// jobs that Stop ends) cuts the request short within about a second; without
// one the request ends only by itself or at its deadline.
int32_t queryPageRank(std::string_view address, int32_t& pageRank, PageRankDetails* details = nullptr,
                      const web::PageFetchOptions& fetchOptions = {}, const core::Event* stop = nullptr);

}  // namespace larkspur::links
