#pragma once
// Running one command on a hand-made record. In list texts written here '|' stands for
// the ListSeparator and '^' for the PairSeparator, so that tables stay readable; the
// outcome is translated back the same way.
#include <cstdint>
#include <map>
#include <utility>
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

// How a record holds its Values: packed, as a parsed request's are, or as views, as
// those of a request too large to pack.
enum class Values { kPacked, kViews };

// Runs `command` with Argument0 and the given numbered arguments (in notation). The
// arguments lie in the record's request text, as a parser leaves them.
inline Outcome run(IRequestEntry& command, const std::map<std::uint32_t, TextView>& arguments,
                   Values form = Values::kPacked) {
  SaoriRequest record;
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (const auto& [number, text] : arguments) {
    spans.emplace_back(record.rawText.size(), text.size());
    record.rawText += listText(text);
  }
  record.setArgument(0, u"command");
  auto span = spans.begin();
  for (const auto& [number, text] : arguments) {
    record.arguments.set(number, TextView(record.rawText).substr(span->first, span->second));
    ++span;
  }
  if (form == Values::kPacked) record.values.packViewsOf(record.rawText);
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

// Runs `command`, with packed Values and with views, and expects it to succeed with
// exactly these Values and Result.
inline void expectAnswer(IRequestEntry& command, const std::map<std::uint32_t, TextView>& arguments,
                         const std::vector<Text>& values, TextView result) {
  for (const Values form : {Values::kPacked, Values::kViews}) {
    const Outcome o = run(command, arguments, form);
    EXPECT_TRUE(o.returned);
    EXPECT_EQ(o.status, SaoriRequest::kOk);
    EXPECT_EQ(o.values, values) << (form == Values::kPacked ? "packed" : "views");
    EXPECT_EQ(o.result, result);
  }
}

}  // namespace orrery::test
