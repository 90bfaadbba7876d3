#include "web/document.h"

namespace larkspur::web {

std::string collapseBlanks(std::string_view text) {
  std::string out;
  bool pending = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
      pending = !out.empty();
    } else {
      if (pending) out += ' ';
      pending = false;
      out += c;
    }
  }
  return out;
}


const std::string* Element::attribute(std::string_view name) const {
  for (const auto& [key, value] : attributes) {
    if (key == name) return &value;
  }
  return nullptr;
}

int Element::selectedIndex() const {
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i].selected) return static_cast<int>(i);
  }
  return -1;
}

Document::Document(std::string url, std::string charset, std::vector<Element> elements,
                   std::shared_ptr<const RenderedText> text)
    : url_(std::move(url)), charset_(std::move(charset)), elements_(std::move(elements)), text_(std::move(text)) {}

std::string Document::title() const {
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    if (elements_[i].tag == "TITLE") return collapseBlanks(textOf(i));
  }
  return {};
}

std::string Document::textOf(std::size_t element) const {
  if (!text_ || element >= elements_.size()) return {};
  return text_->textOf(element, kTextLimit, kTextItemLimit);
}

bool Document::setValue(std::size_t element, std::string_view value) {
  if (element >= elements_.size()) return false;
  elements_[element].value.assign(value);
  actions_.push_back({PageAction::Kind::kSetValue, element, 0, std::string(value)});
  return true;
}

bool Document::selectOption(std::size_t element, std::size_t option) {
  if (element >= elements_.size()) return false;
  Element& e = elements_[element];
  if (e.tag != "SELECT" || option >= e.options.size()) return false;
  if (e.type != "SELECT-MULTIPLE") {
    for (SelectOption& o : e.options) o.selected = false;
  }
  e.options[option].selected = true;
  e.value = e.options[static_cast<std::size_t>(e.selectedIndex())].value;
  actions_.push_back({PageAction::Kind::kSelectOption, element, option, {}});
  return true;
}

bool Document::click(std::size_t element) {
  if (element >= elements_.size()) return false;
  actions_.push_back({PageAction::Kind::kClick, element, 0, {}});
  return true;
}

bool Document::checkRadio(std::size_t element) {
  if (element >= elements_.size()) return false;
  const Element& radio = elements_[element];
  if (radio.tag != "INPUT" || radio.type != "RADIO") return false;
  const std::string group = radio.name;
  for (Element& e : elements_) {
    if (e.tag == "INPUT" && e.type == "RADIO" && e.name == group) {
      std::erase_if(e.attributes, [](const auto& a) { return a.first == "checked"; });
    }
  }
  elements_[element].attributes.emplace_back("checked", "checked");
  return click(element);
}

}  // namespace larkspur::web
