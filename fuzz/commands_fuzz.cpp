// Well-formed requests for every command, built from the fuzz input, so that the
// commands themselves get deep coverage rather than the parser's refusals. The texts
// carry no CR or LF, so the response can be read back line by line and checked.
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "commands/framework/command_table.h"
#include "commands/framework/exceptions.h"
#include "commands/framework/list_text.h"
#include "commands/framework/number_conversion.h"
#include "module/module_instance.h"
#include "module_calls.h"
#include "protocol/command_dispatcher.h"
#include "protocol/decimal_format.h"

namespace {

using orrery::Text;
using orrery::TextView;
using orrery::fuzz::FuzzInput;

// Pieces of item texts: what keys, numbers and pairs are made of, the awkward values
// at the edges of the number conversions included.
constexpr TextView kPieces[] = {u"a",
                                u"b",
                                u"B",
                                u"0",
                                u"1",
                                u"9",
                                u"-",
                                u"+",
                                u" ",
                                u".",
                                u",",
                                u"e",
                                u"E",
                                u"\t",
                                u"\x3000",
                                u"\x3042",
                                u"\xD83D\xDE00",
                                u"\xD800",
                                u"\x0001",
                                u"10",
                                u"-5",
                                u"2147483647",
                                u"-2147483648",
                                u"4294967296",
                                u"1e308",
                                u"1e-320",
                                u"nan",
                                u"inf",
                                u"0x1A",
                                u"1.5",
                                u"1,5",
                                u"\xFFFF",
                                u"99999999999999999999"};

constexpr TextView kOptionLetters = u"ADFILNPRSTVUabcdeilnprsuvx";

Text itemText(FuzzInput& in) {
  Text item;
  for (std::uint32_t n = in.below(5); n > 0; --n)
    item.append(kPieces[in.below(std::size(kPieces))]);
  return item;
}

Text listText(FuzzInput& in) {
  Text list;
  const std::uint32_t items = in.below(16);
  for (std::uint32_t i = 0; i < items; ++i) {
    if (i > 0) list.push_back(orrery::kListSeparator);
    list.append(itemText(in));
  }
  if (items > 0 && in.below(4) == 0) list.push_back(orrery::kListSeparator);
  return list;
}

Text argumentText(FuzzInput& in) {
  switch (in.below(4)) {
    case 0:
      return itemText(in);  // a number, or something that fails to be one
    case 1: {
      Text options;
      for (std::uint32_t n = in.below(4); n > 0; --n) {
        options.push_back(kOptionLetters[in.below(kOptionLetters.size())]);
      }
      return options;
    }
    default:
      return listText(in);
  }
}

struct Response {
  Text status;
  Text result;
  std::vector<Text> values;
};

// Splits a response into its lines and checks their shape: a status line, and for 200
// a Result line and Value lines numbered from 0 without gaps.
Response readResponse(TextView text) {
  std::vector<TextView> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(u"\r\n", start)) != TextView::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  FUZZ_CHECK(start == text.size());  // every line ends with CR LF
  FUZZ_CHECK(!lines.empty());
  Response r;
  r.status = Text(lines[0]);
  if (r.status != u"SAORI/1.0 200 OK") {
    FUZZ_CHECK(lines.size() == 1);
    FUZZ_CHECK(r.status == u"SAORI/1.0 204 No Content" || r.status == u"SAORI/1.0 400 Bad Request");
    return r;
  }
  FUZZ_CHECK(lines.size() >= 2 && lines[1].starts_with(u"Result: "));
  r.result = Text(lines[1].substr(8));
  for (std::size_t i = 2; i < lines.size(); ++i) {
    Text name = u"Value";
    orrery::appendUnsigned(name, i - 2);
    name.append(u": ");
    FUZZ_CHECK(lines[i].starts_with(name));
    r.values.emplace_back(lines[i].substr(name.size()));
  }
  FUZZ_CHECK(!r.result.empty() || !r.values.empty());  // an empty answer is a 204
  return r;
}

// Reference models of the commands, written from their contracts, for the differential
// checks: what the module answers must be what these predict.

struct Item {
  Text first;
  Text second;
  bool hasSecond = false;
};

// The keyed list reading: U+0002 ends an item (an empty one included), the first U+0001
// splits it, and a last item without U+0001 counts only when its first part is not empty.
std::vector<Item> readItems(TextView list) {
  std::vector<Item> items;
  Item pending;
  for (char16_t c : list) {
    if (c == orrery::kListSeparator) {
      items.push_back(pending);
      pending = Item{};
    } else if (c == orrery::kPairSeparator && !pending.hasSecond) {
      pending.hasSecond = true;
    } else {
      (pending.hasSecond ? pending.second : pending.first).push_back(c);
    }
  }
  if (pending.hasSecond || !pending.first.empty()) items.push_back(pending);
  return items;
}

bool has(TextView options, char16_t letter) { return options.find(letter) != TextView::npos; }

Text pairText(const Item& item) { return item.first + orrery::kPairSeparator + item.second; }

// What a command's answer should look like, from its output texts.
struct Expected {
  std::vector<Text> texts;
  bool joined = false;
};

void checkAnswer(const Response& r, const Expected& e) {
  if (e.texts.empty()) {
    FUZZ_CHECK(r.status == u"SAORI/1.0 204 No Content");
    return;
  }
  FUZZ_CHECK(r.status == u"SAORI/1.0 200 OK");
  if (e.joined) {
    Text result;
    for (const Text& t : e.texts) result += t + orrery::kListSeparator;
    FUZZ_CHECK(r.result == result && r.values.empty());
  } else {
    FUZZ_CHECK(r.result.empty() && r.values == e.texts);
  }
}

// The same output texts in any order.
void checkPermutation(const Response& r, std::vector<Text> texts, bool joined) {
  std::vector<Text> got = r.values;
  if (joined) {
    got.clear();
    FUZZ_CHECK(r.values.empty());
    FUZZ_CHECK(r.result.empty() || r.result.back() == orrery::kListSeparator);
    std::size_t start = 0;
    for (std::size_t i = 0; i < r.result.size(); ++i) {
      if (r.result[i] == orrery::kListSeparator) {
        got.push_back(r.result.substr(start, i - start));
        start = i + 1;
      }
    }
  }
  if (texts.empty()) {
    FUZZ_CHECK(r.status == u"SAORI/1.0 204 No Content");
    return;
  }
  FUZZ_CHECK(r.status == u"SAORI/1.0 200 OK");
  std::sort(got.begin(), got.end());
  std::sort(texts.begin(), texts.end());
  FUZZ_CHECK(got == texts);
}

using Arguments = std::map<std::uint32_t, Text>;

// Argument k as a command reads it: its text when the request carries more than k
// arguments, else empty (and a consulted argument that was not sent is empty too).
Text consulted(const Arguments& args, std::uint32_t k) {
  if (args.size() <= k) return Text();
  auto it = args.find(k);
  return it == args.end() ? Text() : it->second;
}

Text listArgument(const Arguments& args, std::uint32_t k) {
  auto it = args.find(k);
  return it == args.end() ? Text() : it->second;
}

void checkSort(const Arguments& args, const Response& r) {
  const Text options = args.size() >= 3 ? listArgument(args, 2) : Text();
  const std::vector<Item> items = readItems(listArgument(args, 1));
  const bool joined = has(options, u's');

  std::vector<Text> outputs;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Item& item = items[i];
    if (has(options, u'P')) {
      outputs.push_back(pairText(item));
    } else if (has(options, u'V')) {
      outputs.push_back(item.second);
    } else if (has(options, u'A')) {
      Text index;
      orrery::appendUnsigned(index, i);
      outputs.push_back(index);
    } else {
      outputs.push_back(item.first);
    }
  }
  if (has(options, u'F') && !has(options, u'S')) {
    // Float keys: whatever the order, a sort keeps every item exactly once.
    if (r.status == u"SAORI/1.0 400 Bad Request") return;
    checkPermutation(r, outputs, joined);
    return;
  }

  // Text, length and integer keys: the exact answer, a stable sort by key.
  std::vector<std::size_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (has(options, u'S')) {
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return items[a].first < items[b].first; });
  } else if (has(options, u'L')) {
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return items[a].first.size() < items[b].first.size();
    });
  } else {
    std::vector<std::int32_t> keys;
    try {
      for (const Item& item : items) keys.push_back(orrery::toInteger(item.first));
    } catch (const orrery::ConvExcep&) {
      FUZZ_CHECK(r.status == u"SAORI/1.0 400 Bad Request");
      return;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  }
  if (has(options, u'R')) std::reverse(order.begin(), order.end());
  Expected e;
  e.joined = joined;
  for (std::size_t i : order) e.texts.push_back(outputs[i]);
  checkAnswer(r, e);
}

void checkUnique(const Arguments& args, const Response& r) {
  const Text options = consulted(args, 2);
  std::map<Text, Text> survivors;
  for (const Item& item : readItems(listArgument(args, 1))) {
    const Text output = has(options, u'V')   ? item.second
                        : has(options, u'P') ? pairText(item)
                                             : item.first;
    survivors.emplace(item.first, output);
  }
  Expected e;
  e.joined = has(options, u's');
  for (const auto& [key, output] : survivors) e.texts.push_back(output);
  checkAnswer(r, e);
}

// The set commands, from their per-key table: with m and n items of a key in the first
// and second list, intersection gives the first min(m, n) of the first list, difference
// its last m - n, union all m and then the last n - m of the second, symmetric
// difference the last |m - n| of the longer.
void checkSetCommand(TextView command, const Arguments& args, const Response& r) {
  const Text options = consulted(args, 3);
  auto output = [&](const Item& item) {
    return has(options, u'V') ? item.second : has(options, u'P') ? pairText(item) : item.first;
  };
  std::map<Text, std::pair<std::vector<Text>, std::vector<Text>>> byKey;
  for (const Item& item : readItems(listArgument(args, 1)))
    byKey[item.first].first.push_back(output(item));
  for (const Item& item : readItems(listArgument(args, 2)))
    byKey[item.first].second.push_back(output(item));

  Expected e;
  e.joined = has(options, u's');
  auto append = [&](const std::vector<Text>& from, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) e.texts.push_back(from[i]);
  };
  for (const auto& [key, lists] : byKey) {
    const auto& [a, b] = lists;
    const std::size_t m = a.size();
    const std::size_t n = b.size();
    if (command == u"intersection") {
      append(a, 0, std::min(m, n));
    } else if (command == u"difference") {
      if (m > n) append(a, n, m);
    } else if (command == u"union") {
      append(a, 0, m);
      if (n > m) append(b, m, n);
    } else if (m > n) {
      append(a, n, m);
    } else {
      append(b, m, n);
    }
  }
  checkAnswer(r, e);
}

void checkShuffle(const Arguments& args, const Response& r) {
  std::vector<TextView> items;
  const Text list = listArgument(args, 1);
  orrery::splitList(list, items);
  checkPermutation(r, std::vector<Text>(items.begin(), items.end()), false);
}

// shuffle_n: distinct numbers of the range, as many as asked for and available.
void checkShuffleN(const Response& r) {
  if (r.status != u"SAORI/1.0 200 OK") return;
  std::vector<Text> numbers = r.values;
  if (!r.result.empty()) {
    FUZZ_CHECK(r.values.empty() && r.result.back() == orrery::kListSeparator);
    std::vector<TextView> joined;
    orrery::splitList(r.result, joined);
    numbers.assign(joined.begin(), joined.end());
  }
  std::vector<std::int32_t> seen;
  seen.reserve(numbers.size());
  for (const Text& n : numbers) seen.push_back(orrery::toInteger(n));
  std::sort(seen.begin(), seen.end());
  FUZZ_CHECK(std::adjacent_find(seen.begin(), seen.end()) == seen.end());
}

bool isRegistered(TextView command) {
  auto* dispatcher = dynamic_cast<orrery::CommandDispatcher*>(orrery::currentModule());
  return dispatcher != nullptr && dispatcher->registry().find(Text(command)) != nullptr;
}

void checkCommand(TextView command, const Arguments& args, const Response& r) {
  auto name = args.find(0);
  if (name == args.end() || name->second != command || !isRegistered(command)) return;
  const std::uint32_t lists = orrery::findCommandShape(command)->listArguments;
  if (args.size() <= lists) {
    FUZZ_CHECK(r.status == u"SAORI/1.0 400 Bad Request");
    return;
  }
  if (command == u"sort") {
    checkSort(args, r);
  } else if (command == u"unique") {
    checkUnique(args, r);
  } else if (command == u"shuffle") {
    checkShuffle(args, r);
  } else if (command == u"shuffle_n") {
    checkShuffleN(r);
  } else if (command != u"make_pair") {
    checkSetCommand(command, args, r);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orrery::fuzz::ensureLoaded();
  FuzzInput in(data, size);

  const TextView command = orrery::kCommandShapes[in.below(std::size(orrery::kCommandShapes))].name;
  std::vector<std::pair<std::uint32_t, Text>> arguments;
  arguments.emplace_back(0, Text(command));
  const std::uint32_t count = 1 + in.below(4);
  for (std::uint32_t k = 1; k <= count; ++k) {
    // Mostly the expected numbers; sometimes a gap or a number far away.
    std::uint32_t number = k;
    if (in.below(8) == 0) number = in.below(2) == 0 ? in.below(12) : in.u32();
    arguments.emplace_back(number, argumentText(in));
  }

  Text request = u"EXECUTE SAORI/1.0\r\nSender: fuzz\r\n";
  for (const auto& [number, value] : arguments) {
    request.append(u"Argument");
    orrery::appendUnsigned(request, number);
    request.append(u": ");
    request.append(value);
    request.append(u"\r\n");
  }
  request.append(u"\r\n");

  const Response response = readResponse(orrery::fuzz::callRequestw(request));
  // The arguments as the parser sees them: a repeated number keeps its last text.
  Arguments parsed;
  for (const auto& [number, value] : arguments) parsed[number] = value;
  checkCommand(command, parsed, response);
  return 0;
}
