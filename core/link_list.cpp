#include "core/link_list.h"

#include <algorithm>

#include "core/fixed_text.h"

namespace larkspur::core {

LinkRecord* LinkList::append(const LinkRecord& record) {
  auto copy = std::make_shared<LinkRecord>(record);
  std::lock_guard<std::mutex> guard(mutex_);
  records_.push_back(copy);
  return copy.get();
}

LinkRecord* LinkList::append(Ptr record) {
  LinkRecord* address = record.get();
  std::lock_guard<std::mutex> guard(mutex_);
  records_.push_back(std::move(record));
  return address;
}

LinkRecord* LinkList::appendIfNewUrl(const LinkRecord& record) {
  auto copy = std::make_shared<LinkRecord>(record);
  std::lock_guard<std::mutex> guard(mutex_);
  if (containsUrlLocked(record.url.view())) return nullptr;
  records_.push_back(copy);
  return copy.get();
}

bool LinkList::remove(const LinkRecord* record) {
  Ptr removed;  // freed after the lock is released
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = std::find_if(records_.begin(), records_.end(),
                         [record](const Ptr& p) { return p.get() == record; });
  if (it == records_.end()) return false;
  removed = std::move(*it);
  records_.erase(it);
  return true;
}

void LinkList::clear() {
  std::vector<Ptr> removed;
  std::lock_guard<std::mutex> guard(mutex_);
  removed.swap(records_);
}

std::size_t LinkList::size() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return records_.size();
}

LinkList::Ptr LinkList::at(std::size_t index) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return index < records_.size() ? records_[index] : nullptr;
}

LinkList::Ptr LinkList::find(const LinkRecord* record) const {
  std::lock_guard<std::mutex> guard(mutex_);
  for (const Ptr& p : records_) {
    if (p.get() == record) return p;
  }
  return nullptr;
}

bool LinkList::containsUrl(std::string_view url) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return containsUrlLocked(url);
}

bool LinkList::containsUrlLocked(std::string_view url) const {
  return std::any_of(records_.begin(), records_.end(),
                     [url](const Ptr& p) { return p->url == url; });
}

std::vector<LinkList::Ptr> LinkList::snapshot() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return records_;
}

}  // namespace larkspur::core
