#pragma once
// A website and an IndexNow endpoint on one local server, for the tests of
// announcing (the library, larkspur-cli and the desktop window): the code
// under test reaches both through the service base.
// Files are served from `files` by path; /big.xml is made on the fly with
// `bigUrls` URLs; POST and GET /indexnow answer the codes queued in `answers`
// (200 once they run out) after checking the request the way an engine does.

#include <zlib.h>

#include <cctype>
#include <deque>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/local_server.h"

namespace larkspur::test {

inline std::string gzipped(const std::string& plain) {
  z_stream z{};
  deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, plain.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

inline std::string urlset(const std::vector<std::pair<std::string, std::string>>& urls) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
  for (const auto& [loc, lastmod] : urls) {
    xml += "<url><loc>" + loc + "</loc>";
    if (!lastmod.empty()) xml += "<lastmod>" + lastmod + "</lastmod>";
    xml += "</url>\n";
  }
  return xml + "</urlset>\n";
}

inline std::string sitemapIndex(const std::vector<std::string>& sitemaps) {
  std::string xml = "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
  for (const std::string& s : sitemaps) xml += "<sitemap><loc>" + s + "</loc></sitemap>";
  return xml + "</sitemapindex>";
}

struct EndpointAnswer {
  int code = 200;
  std::string retryAfter;
};

struct ReceivedRequest {
  std::string method;
  std::string contentType;
  nlohmann::json body;  // POST
  std::string url;      // GET's url parameter
  std::string key;
  std::string problem;  // what the endpoint found wrong, empty when nothing
};

class FakeSite {
 public:
  std::map<std::string, std::string> files;  // path -> body; register before start()
  std::size_t bigUrls = 0;
  std::string host = "www.example.com";

  bool start() {
    server_.get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) { serveFile(req, res); });
    server_.post("/indexnow", [this](const httplib::Request& req, httplib::Response& res) { answer(req, res); });
    return server_.start();
  }
  std::string base() const { return server_.baseUrl(); }

  void queue(std::vector<EndpointAnswer> answers) {
    std::lock_guard lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
  }
  std::vector<ReceivedRequest> received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }
  void setFile(const std::string& path, const std::string& body) {
    std::lock_guard lock(mutex_);
    files[path] = body;
  }

 private:
  void serveFile(const httplib::Request& req, httplib::Response& res) {
    if (req.path == "/indexnow") return answer(req, res);
    if (req.path == "/big.xml") {
      std::string xml = "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
      for (std::size_t i = 0; i < bigUrls; ++i) xml += "<url><loc>https://" + host + "/p" + std::to_string(i) + "</loc></url>";
      res.set_content(xml + "</urlset>", "application/xml");
      return;
    }
    std::lock_guard lock(mutex_);
    auto file = files.find(req.path);
    if (file == files.end()) {
      res.status = 404;
      return;
    }
    res.set_content(file->second, "text/plain");
  }

  // Checks the request as an engine would, fetching the key file from the site.
  void answer(const httplib::Request& req, httplib::Response& res) {
    ReceivedRequest r;
    r.method = req.method;
    r.contentType = req.get_header_value("Content-Type");
    std::vector<std::string> urls;
    std::string keyLocation;
    if (req.method == "POST") {
      if (r.contentType != "application/json; charset=utf-8") r.problem = "content type " + r.contentType;
      r.body = nlohmann::json::parse(req.body, nullptr, false);
      if (r.body.is_discarded() || !r.body.contains("urlList")) {
        r.problem = "body is not the JSON of a request";
      } else {
        r.key = r.body.value("key", "");
        keyLocation = r.body.value("keyLocation", "");
        for (const auto& u : r.body["urlList"]) urls.push_back(u.get<std::string>());
        if (r.body.value("host", "") != host) r.problem = "host " + r.body.value("host", "");
      }
    } else {
      r.url = req.get_param_value("url");
      r.key = req.get_param_value("key");
      keyLocation = req.get_param_value("keyLocation");
      urls.push_back(r.url);
    }
    for (const std::string& u : urls) {
      std::string start = u.substr(0, u.find('/', 8) + 1);
      for (char& ch : start) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      if (start != "https://" + host + "/" && start != "http://" + host + "/") r.problem = "foreign URL " + u;
    }
    std::string keyPath = keyLocation.empty() ? "/" + r.key + ".txt"
                                              : keyLocation.substr(keyLocation.find('/', 8));
    httplib::Client client("127.0.0.1", server_.port());
    auto keyFile = client.Get(keyPath);
    const bool keyServed = keyFile && keyFile->status == 200 && keyFile->body.find(r.key) != std::string::npos;
    EndpointAnswer next;
    {
      std::lock_guard lock(mutex_);
      if (!answers_.empty()) {
        next = answers_.front();
        answers_.pop_front();
      }
      received_.push_back(r);
    }
    if (!r.problem.empty()) next.code = 400;
    else if (!keyServed) next.code = 403;
    res.status = next.code;
    if (!next.retryAfter.empty()) res.set_header("Retry-After", next.retryAfter);
  }

  LocalServer server_;
  mutable std::mutex mutex_;
  std::deque<EndpointAnswer> answers_;
  std::vector<ReceivedRequest> received_;
};

}  // namespace larkspur::test
