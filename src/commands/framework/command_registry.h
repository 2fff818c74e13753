#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "commands/framework/request_entry.h"
#include "protocol/unit_search.h"

namespace orrery {

// Commands by name, ordered code unit by code unit. The registry holds the only
// handles, so the command objects live exactly as long as it does.
class CommandRegistry {
 public:
  using Handle = std::shared_ptr<IRequestEntry>;
  using Entries = std::map<Text, Handle, std::less<>>;

  // Stores `entry` under `name`, replacing an earlier entry of that name.
  void add(TextView name, Handle entry) {
    entries_[Text(name)] = std::move(entry);
    // Map nodes never move, so the index may view their names.
    index_.clear();
    for (const auto& [key, handle] : entries_) index_.push_back({key, handle.get()});
  }

  // The entry registered under exactly `name`, or null. A handful of names, mostly of
  // different lengths: a scan that compares lengths first beats the tree's ordered
  // comparisons, and no key is built per request.
  IRequestEntry* find(TextView name) const {
    for (const Indexed& e : index_) {
      if (sameUnits(e.name, name)) return e.entry;
    }
    return nullptr;
  }

  const Entries& entries() const { return entries_; }

 private:
  struct Indexed {
    TextView name;
    IRequestEntry* entry;
  };

  Entries entries_;
  std::vector<Indexed> index_;
};

}  // namespace orrery
