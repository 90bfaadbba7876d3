#include "cli/arguments.h"

namespace larkspur::cli {

Arguments::Arguments(const std::vector<std::string>& words,
                     const std::set<std::string>& valueOptions,
                     const std::set<std::string>& flagOptions) {
  bool onlyPositional = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (onlyPositional || word.size() < 3 || word.compare(0, 2, "--") != 0) {
      if (word == "--") {
        onlyPositional = true;
        continue;
      }
      positional_.push_back(word);
      continue;
    }
    std::string name = word.substr(2);
    std::optional<std::string> inlineValue;
    if (auto eq = name.find('='); eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name.resize(eq);
    }
    if (valueOptions.count(name)) {
      std::string value;
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < words.size()) {
        value = words[++i];
      } else {
        error_ = "option --" + name + " needs a value";
        return;
      }
      values_[name].push_back(value);
      ordered_.emplace_back(name, value);
    } else if (flagOptions.count(name)) {
      if (inlineValue) {
        error_ = "option --" + name + " takes no value";
        return;
      }
      values_[name];
    } else {
      error_ = "unknown option --" + name;
      return;
    }
  }
}

std::optional<std::string> Arguments::value(const std::string& option) const {
  auto it = values_.find(option);
  if (it == values_.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

std::vector<std::string> Arguments::values(const std::string& option) const {
  auto it = values_.find(option);
  return it == values_.end() ? std::vector<std::string>{} : it->second;
}

std::optional<long> parseSeconds(const std::string& text) {
  constexpr long kDay = 86'400;
  if (text.empty() || text.size() > 6) return std::nullopt;
  long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kDay) return std::nullopt;
  return value;
}

}  // namespace larkspur::cli
