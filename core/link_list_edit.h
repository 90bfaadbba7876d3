#pragma once
// What the user does to the Link list by hand: add a link, edit one, delete
// links, and copy the URLs of chosen links as text. Records are named by
// address, the way the list view's rows hold them; a record no longer in the
// list is passed over, never read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/link_list.h"
#include "core/link_record.h"
#include "core/status.h"

namespace larkspur::core {

// The fields the Link dialog edits.
struct LinkFields {
  std::string url;
  std::string linkText;
  std::string note;
  std::string email;
  std::string contactName;
  std::string description;
  std::string status;
};

// Longest texts the dialog accepts, in bytes.
inline constexpr std::size_t kLinkUrlLimit = 512;
inline constexpr std::size_t kLinkTextLimit = 512;
inline constexpr std::size_t kLinkNoteLimit = 512;
inline constexpr std::size_t kLinkEmailLimit = decltype(LinkRecord::email)::kCapacity - 1;
inline constexpr std::size_t kLinkContactLimit = decltype(LinkRecord::contact_name)::kCapacity - 1;
inline constexpr std::size_t kLinkDescriptionLimit = 1024;
inline constexpr std::size_t kLinkStatusLimit = decltype(LinkRecord::status)::kCapacity - 1;

inline constexpr char kTooManyCharactersFormat[] = "Please enter no more than %1 characters.";
inline constexpr char kLinkUrlMissing[] = "Please input the Link URL!";
// A link is a page on the web: other addresses (javascript:, file:, ...)
// would become something a click in a report runs.
inline constexpr char kLinkUrlNotWeb[] = "The Link URL must start with http:// or https://.";

// The current time as a record's time added.
int32_t linkTimeNow();

// The dialog's fields of a record.
LinkFields linkFieldsOf(const LinkRecord& record);

// The dialog's checks: every length limit in dialog order (the message names
// the limit), then the URL must not be empty.
Status checkLinkFields(const LinkFields& fields);

// Copies the fields into the record and sets its time added to `now` when it
// has none.
void applyLinkFields(LinkRecord& record, const LinkFields& fields, int32_t now);

struct AddLinkResult {
  Status status;
  LinkRecord* record = nullptr;  // the appended record on success
};

// Checks the fields, then appends a new record made from them.
AddLinkResult addLink(LinkList& links, const LinkFields& fields, int32_t now);

// Checks the fields, then writes them into the record under the list's lock.
// Fails when the record is no longer in the list.
Status editLink(LinkList& links, const LinkRecord* record, const LinkFields& fields, int32_t now);

// Removes the records from the list; returns how many were in it. A worker
// that still holds a removed record keeps it alive until it lets go.
std::size_t deleteLinks(LinkList& links, std::span<const LinkRecord* const> records);

// The URL of each record still in the list, in the order given, each followed
// by CR LF.
std::string copyLinkText(const LinkList& links, std::span<const LinkRecord* const> records);

}  // namespace larkspur::core
