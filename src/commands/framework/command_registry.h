#pragma once
#include <functional>
#include <map>
#include <memory>

#include "commands/framework/request_entry.h"

namespace orrery {

// Commands by name, ordered code unit by code unit. The registry holds the only
// handles, so the command objects live exactly as long as it does.
class CommandRegistry {
 public:
  using Handle = std::shared_ptr<IRequestEntry>;

  using Entries = std::map<Text, Handle, std::less<>>;

  // Stores `entry` under `name`, replacing an earlier entry of that name.
  void add(TextView name, Handle entry) { entries_[Text(name)] = std::move(entry); }

  // The entry registered under exactly `name`, or null. Looked up by the view itself:
  // no key is built per request.
  IRequestEntry* find(TextView name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : it->second.get();
  }

  const Entries& entries() const { return entries_; }

 private:
  Entries entries_;
};

}  // namespace orrery
