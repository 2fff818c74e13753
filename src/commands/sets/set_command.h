#pragma once
// The four set commands share one frame: Argument1 and Argument2 are read as multisets
// keyed by first part, Argument3 holds the option letters, and one merge walk over the
// two ordered lists writes the result in key order. Only the merge rule differs.
#include "commands/framework/request_entry.h"

namespace orrery {

// What the merge copies. Keys present in one list only, and the rest of a list once the
// other runs out, are copied from it when firstOnly / secondOnly is set; on equal keys
// the first list's item is copied when `equal` is set, and both sides advance.
struct MergeRule {
  bool firstOnly;
  bool secondOnly;
  bool equal;
};

class SetCommand : public IRequestEntry {
 public:
  bool execute(SaoriRequest& record) final;
  std::uint32_t listArgumentCount() const final { return 2; }

 protected:
  explicit SetCommand(MergeRule rule) : rule_(rule) {}

 private:
  MergeRule rule_;
};

// Per key with m items in the first list and n in the second: the first min(m, n) of
// the first list.
class IntersectionCommand : public SetCommand {
 public:
  IntersectionCommand() : SetCommand({.firstOnly = false, .secondOnly = false, .equal = true}) {}
};

// The first list's items after its first n, when m > n.
class DifferenceCommand : public SetCommand {
 public:
  DifferenceCommand() : SetCommand({.firstOnly = true, .secondOnly = false, .equal = false}) {}
};

// All m items of the first list, then the last n - m of the second when n > m.
class UnionCommand : public SetCommand {
 public:
  UnionCommand() : SetCommand({.firstOnly = true, .secondOnly = true, .equal = true}) {}
};

// The last |m - n| items of whichever list holds more.
class SymmetricDifferenceCommand : public SetCommand {
 public:
  SymmetricDifferenceCommand()
      : SetCommand({.firstOnly = true, .secondOnly = true, .equal = false}) {}
};

}  // namespace orrery
