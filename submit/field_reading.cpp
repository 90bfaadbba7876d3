#include "submit/field_reading.h"

#include <charconv>

#include "core/ascii_text.h"
#include "core/upper_case.h"
#include "submit/word_search.h"

namespace larkspur::submit {

namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// `word` in `text` with no letter on either side.
bool hasWord(std::string_view text, std::string_view word) {
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at == 0 || !isLetter(text[at - 1])) && (end == text.size() || !isLetter(text[end]))) return true;
  }
  return false;
}

// A label is a few words; a longer text is a paragraph, not a field's label.
constexpr std::size_t kMaxLabelBytes = 120;
// Labels linked by `for` are looked for this many elements before and after
// their field; the elements a field's holder holds are looked at up to the
// search limit.
constexpr std::size_t kLabelDistance = 200;
constexpr std::size_t kMaxLabelSearch = 2000;

std::string labelText(const web::Document& doc, std::size_t element) {
  std::string text(core::asciiTrimmed(doc.textOf(element)));
  if (text.size() > kMaxLabelBytes) return {};
  return core::toUpper(text);
}

bool isControl(const web::Element& e) {
  return e.tag == "INPUT" || e.tag == "SELECT" || e.tag == "TEXTAREA" || e.tag == "BUTTON";
}

std::optional<std::size_t> lengthAttribute(const web::Element& e, std::string_view name) {
  const std::string* text = e.attribute(name);
  if (!text) return std::nullopt;
  const std::string_view digits = core::asciiTrimmed(*text);
  std::size_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

// Byte length of the first `characters` UTF-8 characters of `text`.
std::size_t prefixBytes(std::string_view text, std::size_t characters) {
  std::size_t i = 0;
  for (std::size_t n = 0; i < text.size() && n < characters; ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

// Whether `field` is the only form control inside `holder`.
bool onlyFieldIn(const web::Document& doc, std::size_t holder, std::size_t field) {
  for (std::size_t i = holder + 1; i < doc.size() && i < holder + kMaxLabelSearch; ++i) {
    int up = doc.at(i).parent;
    while (up > static_cast<int>(holder)) up = doc.at(static_cast<std::size_t>(up)).parent;
    if (up != static_cast<int>(holder)) break;  // past the holder's elements
    if (i != field && isControl(doc.at(i))) return false;
  }
  return true;
}

}  // namespace

std::string attributeUpper(const web::Element& e, std::string_view name) {
  const std::string* value = e.attribute(name);
  return value ? core::toUpper(*value) : std::string();
}

std::string fieldLabel(const web::Document& doc, std::size_t field) {
  const web::Element& e = doc.at(field);
  if (const std::string* id = e.attribute("id"); id && !id->empty()) {
    // A label stands near its field: looked for among the elements around it.
    const std::size_t from = field > kLabelDistance ? field - kLabelDistance : 0;
    for (std::size_t i = from; i < doc.size() && i <= field + kLabelDistance; ++i) {
      const web::Element& label = doc.at(i);
      if (label.tag != "LABEL") continue;
      const std::string* target = label.attribute("for");
      if (target && *target == *id) return labelText(doc, i);
    }
  }
  // The label around the field.
  int up = e.parent;
  for (int depth = 0; up >= 0 && depth < 4; ++depth, up = doc.at(static_cast<std::size_t>(up)).parent) {
    if (doc.at(static_cast<std::size_t>(up)).tag == "LABEL") return labelText(doc, static_cast<std::size_t>(up));
  }
  // The text just before it: the element before it in the same parent.
  for (std::size_t i = field; i-- > 0;) {
    const web::Element& before = doc.at(i);
    if (static_cast<int>(i) == e.parent) break;
    if (before.parent != e.parent) continue;
    if (isControl(before)) break;
    std::string text = labelText(doc, i);
    if (!text.empty()) return text;
    break;
  }
  // The short text of the element that holds it and no other field
  // ("<td>E-mail: [    ]</td>").
  if (e.parent < 0 || !onlyFieldIn(doc, static_cast<std::size_t>(e.parent), field)) return {};
  return labelText(doc, static_cast<std::size_t>(e.parent));
}

std::optional<ProfileValue> fieldKind(const web::Element& field, std::string_view label) {
  const std::string type = core::toUpper(field.type);
  if (type == "EMAIL") return ProfileValue::kEmail;
  if (type == "URL") return ProfileValue::kUrl;
  if (type == "TEL") return ProfileValue::kTelephone;
  const std::string autocomplete = attributeUpper(field, "autocomplete");
  if (autocomplete == "EMAIL") return ProfileValue::kEmail;
  if (autocomplete == "URL") return ProfileValue::kUrl;
  if (autocomplete == "TEL") return ProfileValue::kTelephone;
  for (const std::string& said :
       {attributeUpper(field, "placeholder"), attributeUpper(field, "aria-label"), std::string(label)}) {
    if (hasAny(said, {"E-MAIL", "EMAIL", "E MAIL"})) return ProfileValue::kEmail;
    if (hasWord(said, "URL") || hasAny(said, {"WEB ADDRESS", "HTTP://", "HTTPS://"})) return ProfileValue::kUrl;
    if (hasWord(said, "PHONE") || hasWord(said, "TELEPHONE")) return ProfileValue::kTelephone;
  }
  return std::nullopt;
}

bool keepsPageValue(const web::Element& field) {
  if (field.attribute("readonly")) return true;
  const std::string type = core::toUpper(field.type);
  return type == "HIDDEN" || type == "CHECKBOX" || type == "RADIO" || type == "SUBMIT" || type == "IMAGE" ||
         type == "BUTTON" || type == "RESET" || type == "FILE";
}

bool asksForBackLink(std::string_view name, std::string_view label) {
  for (std::string_view said : {name, label}) {
    if (hasAny(said, {"RECIP", "BACKLINK", "BACK_LINK", "BACK-LINK", "BACK LINK", "LINKBACK", "LINK BACK",
                      "LINK_BACK", "RETURN LINK", "RETURNLINK"})) {
      return true;
    }
  }
  return false;
}

std::string fitFieldLength(const web::Element& field, std::string value) {
  const std::optional<std::size_t> max = lengthAttribute(field, "maxlength");
  if (!max) return value;
  const std::size_t cut = prefixBytes(value, *max);
  if (cut >= value.size()) return value;
  const std::size_t min = lengthAttribute(field, "minlength").value_or(0);
  // At the last blank before the cut, unless the next character is a blank.
  std::size_t end = cut;
  if (value[cut] != ' ') {
    const std::size_t blank = value.rfind(' ', cut);
    if (blank != std::string::npos && blank > 0) end = blank;
  }
  while (end > 0 && value[end - 1] == ' ') --end;
  if (prefixBytes(value, min) > end) end = cut;
  value.resize(end);
  return value;
}

}  // namespace larkspur::submit
