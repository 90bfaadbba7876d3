#include "core/link_list_edit.h"

#include <ctime>
#include <memory>
#include <optional>
#include <string_view>

#include "core/web_address.h"
#include "core/fixed_text.h"
#include "core/text_check.h"

namespace larkspur::core {

namespace {

struct Limit {
  const std::string LinkFields::*field;
  std::size_t limit;
  const char* label;
  bool typed;  // shown in the dialog (the others come from the pages found)
};

// In the order of the dialog's controls.
constexpr Limit kLimits[] = {
    {&LinkFields::url, kLinkUrlLimit, "Link URL", true},
    {&LinkFields::linkText, kLinkTextLimit, "Link Title", true},
    {&LinkFields::note, kLinkNoteLimit, "Note", true},
    {&LinkFields::email, kLinkEmailLimit, "Contact email", true},
    {&LinkFields::contactName, kLinkContactLimit, "Contact name", true},
    {&LinkFields::description, kLinkDescriptionLimit, "Description", false},
    {&LinkFields::status, kLinkStatusLimit, "Status", false},
};

std::string tooManyCharacters(std::size_t limit) {
  std::string text = kTooManyCharactersFormat;
  text.replace(text.find("%1"), 2, std::to_string(limit));
  return text;
}

}  // namespace

int32_t linkTimeNow() { return static_cast<int32_t>(std::time(nullptr)); }

LinkFields linkFieldsOf(const LinkRecord& record) {
  LinkFields f;
  f.url = record.url.view();
  f.linkText = record.link_text.view();
  f.note = record.note.view();
  f.email = record.email.view();
  f.contactName = record.contact_name.view();
  f.description = record.description.view();
  f.status = record.status.view();
  return f;
}

Status checkLinkFields(const LinkFields& fields) {
  for (const Limit& l : kLimits) {
    if ((fields.*l.field).size() > l.limit) return Status::failure(tooManyCharacters(l.limit));
  }
  for (const Limit& l : kLimits) {
    if (!l.typed) continue;
    if (const std::optional<std::string> problem = storedTextProblem(fields.*l.field)) {
      return Status::failure(std::string(l.label) + " " + *problem + ".");
    }
  }
  if (fields.url.empty()) return Status::failure(kLinkUrlMissing);
  if (!isWebAddress(fields.url)) return Status::failure(kLinkUrlNotWeb);
  return Status::success();
}

void applyLinkFields(LinkRecord& record, const LinkFields& fields, int32_t now) {
  // A field the user changed is the user's from now on; one the user emptied
  // may be filled by a look-up again.
  auto mark = [&record](uint32_t bit, std::string_view before, const std::string& after) {
    if (after == before) return;
    if (after.empty()) {
      record.details.userSet &= ~bit;
    } else {
      record.details.userSet |= bit;
    }
  };
  mark(kUserSetTitle, record.link_text.view(), fields.linkText);
  mark(kUserSetContact, record.contact_name.view(), fields.contactName);
  mark(kUserSetEmail, record.email.view(), fields.email);
  record.url = fields.url;
  record.link_text = fields.linkText;
  record.description = fields.description;
  record.status = fields.status;
  record.contact_name = fields.contactName;
  record.email = fields.email;
  record.note = fields.note;
  if (record.add_time == 0) record.add_time = now;
}

AddLinkResult addLink(LinkList& links, const LinkFields& fields, int32_t now) {
  AddLinkResult result;
  result.status = checkLinkFields(fields);
  if (!result.status.ok()) return result;
  auto record = std::make_shared<LinkRecord>(zeroLinkRecord());
  applyLinkFields(*record, fields, now);
  result.record = links.append(std::move(record));
  return result;
}

Status editLink(LinkList& links, const LinkRecord* record, const LinkFields& fields, int32_t now) {
  Status checked = checkLinkFields(fields);
  if (!checked.ok()) return checked;
  LinkList::Ptr held = links.find(record);
  if (!held) return Status::failure("The link is no longer in the list.");
  links.withLock([&] { applyLinkFields(*held, fields, now); });
  return Status::success();
}

std::size_t deleteLinks(LinkList& links, std::span<const LinkRecord* const> records) {
  std::size_t removed = 0;
  for (const LinkRecord* r : records) {
    if (links.remove(r)) ++removed;
  }
  return removed;
}

std::string copyLinkText(const LinkList& links, std::span<const LinkRecord* const> records) {
  std::string text;
  for (const LinkRecord* r : records) {
    LinkList::Ptr held = links.find(r);
    if (!held) continue;
    links.withLock([&] { text += held->url.view(); });
    text += "\r\n";
  }
  return text;
}

}  // namespace larkspur::core
