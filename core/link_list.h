#pragma once
// The Link list: the project's links in order of addition. Search workers
// append to it, the info update writes records and the user deletes from it,
// all at once, so every operation takes the list's one lock. Records are
// shared: a record removed from the list stays alive for as long as a worker
// still holds it, and is freed when the last holder lets it go. Records never
// move, so their addresses identify them.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "core/link_record.h"

namespace larkspur::core {

class LinkList {
 public:
  using Ptr = std::shared_ptr<LinkRecord>;

  LinkList() = default;
  LinkList(const LinkList&) = delete;
  LinkList& operator=(const LinkList&) = delete;

  // Appends a copy and returns the new record's address.
  LinkRecord* append(const LinkRecord& record);
  // Appends a record made elsewhere (filled before it is shared).
  LinkRecord* append(Ptr record);
  // Appends a copy unless a record with exactly this URL exists; returns the
  // new record or nullptr. The check and the append are one locked step.
  LinkRecord* appendIfNewUrl(const LinkRecord& record);
  // Removes the record with this address; false when it is not in the list.
  bool remove(const LinkRecord* record);
  // Removes every record.
  void clear();

  std::size_t size() const;
  // The record at `index`, or nullptr past the end.
  Ptr at(std::size_t index) const;
  // The record with this address while it is in the list, else nullptr.
  Ptr find(const LinkRecord* record) const;
  bool containsUrl(std::string_view url) const;
  // The records as they are now, for walking without holding the lock.
  std::vector<Ptr> snapshot() const;

  // Runs `f` with the lock held, for reads or writes of a record's fields that
  // must not interleave with other threads.
  template <typename F>
  auto withLock(F&& f) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return f();
  }

 private:
  bool containsUrlLocked(std::string_view url) const;

  mutable std::mutex mutex_;
  std::vector<Ptr> records_;
};

}  // namespace larkspur::core
