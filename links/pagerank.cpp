#include "links/pagerank.h"

#include <array>
#include <cstring>

#include "core/event.h"
#include "core/service_hosts.h"

namespace larkspur::links {

namespace {

// The address's bytes as signed 8-bit values, widened with wrap-around.
uint32_t signedChar(char c) {
  return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c)));
}

uint32_t toolbarHash(std::string_view address) {
  uint32_t first = 5381;
  for (char c : address) first = first * 33u + signedChar(c);
  uint32_t second = 0;
  for (char c : address) second = second * 65599u + signedChar(c);

  uint32_t h = first >> 2;
  h = ((h >> 4) & 0x3FFFFC0u) | (h & 0x3Fu);
  h = ((h >> 4) & 0x3FFC00u) | (h & 0x3FFu);
  h = ((h >> 4) & 0x3C000u) | (h & 0x3FFFu);
  const uint32_t t1 = ((((h & 0x3C0u) << 4) | (h & 0x3Cu)) << 2) | (second & 0xF0Fu);
  const uint32_t t2 = ((((h & 0xFFFFC000u) << 4) | (h & 0x3C00u)) << 10) | (second & 0xF0F0000u);
  return t1 | t2;
}

int checkDigit(const std::string& digits) {
  int sum = 0;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    int d = digits[n - 1 - i] - '0';
    if (i % 2 == 1) {
      int doubled = 2 * d;
      sum += doubled / 10 + doubled % 10;
    } else {
      sum += d;
    }
  }
  int a = sum % 10;
  if (a != 0) {
    a = 10 - a;
    if (n % 2 == 1) {
      if (a % 2 == 1) a += 9;
      a /= 2;
    }
  }
  return a;
}

}  // namespace

std::string toolbarChecksum(std::string_view address) {
  const std::string digits = std::to_string(toolbarHash(address));
  std::string checksum = "7";
  checksum += static_cast<char>('0' + checkDigit(digits));
  checksum += digits;
  return checksum;
}

std::string pageRankRequestUrl(std::string_view address) {
  std::string path = "/search?client=navclient-auto&ch=";
  path += toolbarChecksum(address);
  path += "&features=Rank&q=info:";
  path += address;
  return core::serviceUrl(core::Service::ToolbarQuery, path);
}

int32_t parsePageRank(std::string_view answer) {
  const std::size_t nul = answer.find('\0');
  if (nul != std::string_view::npos) answer = answer.substr(0, nul);
  if (answer.find("Rank_1") == std::string_view::npos) return 0;
  const std::size_t colon = answer.rfind(':');
  const std::size_t at = colon == std::string_view::npos ? 0 : colon + 1;
  if (at >= answer.size()) return 0;
  const char c = answer[at];
  return (c >= '0' && c <= '9') ? c - '0' : 0;
}

int32_t queryPageRank(std::string_view address, int32_t& pageRank, PageRankDetails* details,
                      const web::PageFetchOptions& fetchOptions, const core::Event* stop) {
  pageRank = 0;
  const std::string url = pageRankRequestUrl(address);

  std::array<char, kPageRankAnswerCapacity> answer{};
  char errorText[web::kFetchErrorTextCapacity] = {};
  uint32_t received = 0;
  const core::Event ownStop;
  const int32_t fetchResult = web::pageFetch(url, answer.data(), kPageRankAnswerCapacity, received, errorText,
                                                stop ? *stop : ownStop, fetchOptions);

  if (details) {
    details->checksum = toolbarChecksum(address);
    details->requestUrl = url;
    details->fetchResult = fetchResult;
    details->errorText = errorText;
  }
  if (fetchResult != web::kFetchComplete) return -1;
  // The fetch stores fewer bytes than its capacity, so the answer always ends
  // inside the buffer.
  pageRank = parsePageRank(std::string_view(answer.data(), received));
  return 0;
}

}  // namespace larkspur::links
