#include "web/form_data.h"

#include "core/ascii_text.h"
#include "web/charset_encode.h"

namespace larkspur::web {

namespace {

bool hasAttribute(const Element& e, std::string_view name) { return e.attribute(name) != nullptr; }

bool isAncestor(const Document& doc, std::size_t ancestor, std::size_t element) {
  for (int p = doc.at(element).parent; p >= 0; p = doc.at(static_cast<std::size_t>(p)).parent) {
    if (static_cast<std::size_t>(p) == ancestor) return true;
  }
  return false;
}

bool hasElementChild(const Document& doc, std::size_t element) {
  return element + 1 < doc.size() && doc.at(element + 1).parent == static_cast<int>(element);
}

// CR, LF and CR LF all become CR LF.
std::string normaliseLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string percentEncode(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) != 0 || c == '*' || c == '-' || c == '.' || c == '_') {
      out += c;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

// A name inside a Content-Disposition header: quotes and line breaks escaped.
std::string dispositionText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '"') {
      out += "%22";
    } else if (c == '\r') {
      out += "%0D";
    } else if (c == '\n') {
      out += "%0A";
    } else {
      out += c;
    }
  }
  return out;
}

bool isButtonType(const Element& e) {
  if (e.tag == "BUTTON") return true;
  return e.tag == "INPUT" &&
         (e.type == "SUBMIT" || e.type == "IMAGE" || e.type == "RESET" || e.type == "BUTTON");
}

}  // namespace

std::optional<std::size_t> formOwner(const Document& doc, std::size_t control) {
  if (control >= doc.size()) return std::nullopt;
  const Element& e = doc.at(control);
  if (const std::string* id = e.attribute("form")) {
    for (std::size_t i = 0; i < doc.size(); ++i) {
      const std::string* other = doc.at(i).attribute("id");
      if (doc.at(i).tag == "FORM" && other && *other == *id) return i;
    }
    return std::nullopt;
  }
  for (int p = e.parent; p >= 0; p = doc.at(static_cast<std::size_t>(p)).parent) {
    if (doc.at(static_cast<std::size_t>(p)).tag == "FORM") return static_cast<std::size_t>(p);
  }
  // The parser closes a form opened in a table at once but keeps it as the
  // form of the controls that follow, until the next form begins.
  for (std::size_t i = control; i-- > 0;) {
    if (doc.at(i).tag != "FORM") continue;
    if (hasElementChild(doc, i) || isAncestor(doc, i, control)) return std::nullopt;
    return i;
  }
  return std::nullopt;
}

bool isDisabled(const Document& doc, std::size_t element) {
  if (hasAttribute(doc.at(element), "disabled")) return true;
  for (int p = doc.at(element).parent; p >= 0; p = doc.at(static_cast<std::size_t>(p)).parent) {
    const Element& a = doc.at(static_cast<std::size_t>(p));
    if (a.tag == "FIELDSET" && hasAttribute(a, "disabled")) return true;
  }
  return false;
}

std::vector<FormEntry> formDataSet(const Document& doc, std::size_t form,
                                   std::optional<std::size_t> submitter, std::string_view charset) {
  std::vector<FormEntry> entries;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    const Element& e = doc.at(i);
    if (e.tag != "INPUT" && e.tag != "BUTTON" && e.tag != "SELECT" && e.tag != "TEXTAREA") continue;
    if (formOwner(doc, i) != form || isDisabled(doc, i)) continue;
    if (isButtonType(e)) {
      if (submitter != i) continue;
      if (e.tag == "INPUT" && e.type == "IMAGE") {
        const std::string prefix = e.name.empty() ? std::string() : e.name + ".";
        entries.push_back({prefix + "x", "0"});
        entries.push_back({prefix + "y", "0"});
        continue;
      }
      if (e.name.empty()) continue;
      std::string value = e.value;
      if (value.empty() && !hasAttribute(e, "value") && e.tag == "INPUT") value = "Submit";
      entries.push_back({e.name, value});
      continue;
    }
    if (e.name.empty()) continue;
    if (e.tag == "SELECT") {
      for (const SelectOption& o : e.options) {
        if (o.selected && !o.disabled) entries.push_back({e.name, o.value});
      }
      continue;
    }
    if (e.tag == "INPUT") {
      if ((e.type == "CHECKBOX" || e.type == "RADIO") && !hasAttribute(e, "checked")) continue;
      if (e.type == "FILE") {
        entries.push_back({e.name, {}, true});
        continue;
      }
      if (e.type == "HIDDEN" && core::asciiEqualsNoCase(e.name, "_charset_") && !hasAttribute(e, "value")) {
        entries.push_back({e.name, std::string(charset)});
        continue;
      }
    }
    entries.push_back({e.name, e.value});
  }
  return entries;
}

std::string urlEncodeForm(const std::vector<FormEntry>& entries, std::string_view charset) {
  std::string out;
  for (const FormEntry& entry : entries) {
    if (!out.empty()) out += '&';
    out += percentEncode(convertFromUtf8(normaliseLineBreaks(entry.name), charset));
    out += '=';
    out += percentEncode(convertFromUtf8(normaliseLineBreaks(entry.value), charset));
  }
  return out;
}

std::string multipartEncodeForm(const std::vector<FormEntry>& entries, std::string_view charset,
                                std::string_view boundary) {
  std::string out;
  for (const FormEntry& entry : entries) {
    out += "--";
    out += boundary;
    out += "\r\nContent-Disposition: form-data; name=\"";
    out += dispositionText(convertFromUtf8(normaliseLineBreaks(entry.name), charset));
    out += '"';
    if (entry.file) {
      out += "; filename=\"";
      out += dispositionText(convertFromUtf8(entry.value, charset));
      out += "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    } else {
      out += "\r\n\r\n";
      out += convertFromUtf8(normaliseLineBreaks(entry.value), charset);
    }
    out += "\r\n";
  }
  out += "--";
  out += boundary;
  out += "--\r\n";
  return out;
}

std::string plainEncodeForm(const std::vector<FormEntry>& entries, std::string_view charset) {
  std::string out;
  for (const FormEntry& entry : entries) {
    out += convertFromUtf8(normaliseLineBreaks(entry.name), charset);
    out += '=';
    out += convertFromUtf8(normaliseLineBreaks(entry.value), charset);
    out += "\r\n";
  }
  return out;
}

}  // namespace larkspur::web
