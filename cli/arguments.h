#pragma once
// Command-line words of one command: positional arguments and "--name value"
// or "--name=value" options.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace larkspur::cli {

class Arguments {
 public:
  // `valueOptions` take a value, `flagOptions` do not; any other option is an
  // error. Repeated value options keep every value in order.
  Arguments(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
            const std::set<std::string>& flagOptions);

  // Empty when the words parsed; else a one-line reason.
  const std::string& error() const { return error_; }
  const std::vector<std::string>& positional() const { return positional_; }
  bool has(const std::string& option) const { return values_.count(option) > 0; }
  std::optional<std::string> value(const std::string& option) const;
  std::vector<std::string> values(const std::string& option) const;
  // Value options in the order given (name, value).
  const std::vector<std::pair<std::string, std::string>>& ordered() const { return ordered_; }

 private:
  std::string error_;
  std::vector<std::string> positional_;
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::pair<std::string, std::string>> ordered_;
};

// A number of seconds from 1 to a day, written in decimal digits only.
std::optional<long> parseSeconds(const std::string& text);

}  // namespace larkspur::cli
