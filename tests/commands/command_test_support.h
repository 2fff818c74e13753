#pragma once
// Running one command on a hand-made record. In list texts written here '|' stands for
// the ListSeparator and '^' for the PairSeparator, so that tables stay readable; the
// outcome is translated back the same way.
#include <cstdint>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "commands/framework/request_entry.h"

namespace orrery::test {

inline Text listText(TextView notation) {
  Text text(notation);
  for (char16_t& c : text) {
    if (c == u'|') c = kListSeparator;
    if (c == u'^') c = kPairSeparator;
  }
  return text;
}

inline Text notation(TextView text) {
  Text out(text);
  for (char16_t& c : out) {
    if (c == kListSeparator) c = u'|';
    if (c == kPairSeparator) c = u'^';
  }
  return out;
}

struct Outcome {
  bool returned = false;
  std::int32_t status = SaoriRequest::kOk;
  Text result;
  std::vector<Text> values;
};

// Runs `command` with Argument0 and the given numbered arguments (in notation).
inline Outcome run(IRequestEntry& command, const std::map<std::uint32_t, TextView>& arguments) {
  SaoriRequest record;
  record.setArgument(0, u"command");
  for (const auto& [number, text] : arguments) record.setArgument(number, listText(text));
  Outcome o;
  o.returned = command.execute(record);
  o.status = record.status;
  o.result = notation(record.result);
  for (std::size_t i = 0; i < record.values.size(); ++i) {
    Text value;
    record.values.forEachPiece(i, [&](TextView piece) { value += piece; });
    o.values.push_back(notation(value));
  }
  return o;
}

// Runs `command` and expects it to succeed with exactly these Values and Result.
inline void expectAnswer(IRequestEntry& command, const std::map<std::uint32_t, TextView>& arguments,
                         const std::vector<Text>& values, TextView result) {
  const Outcome o = run(command, arguments);
  EXPECT_TRUE(o.returned);
  EXPECT_EQ(o.status, SaoriRequest::kOk);
  EXPECT_EQ(o.values, values);
  EXPECT_EQ(o.result, result);
}

}  // namespace orrery::test
