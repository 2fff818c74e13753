// Well-formed requests for every command, built from the fuzz input, so that the
// commands themselves get deep coverage rather than the parser's refusals. The texts
// carry no CR or LF, so the response can be read back line by line and checked.
#include <vector>

#include "module_calls.h"
#include "protocol/decimal_format.h"

namespace {

using orrery::Text;
using orrery::TextView;
using orrery::fuzz::FuzzInput;

constexpr TextView kCommands[] = {u"sort",
                                  u"shuffle",
                                  u"shuffle_n",
                                  u"intersection",
                                  u"difference",
                                  u"union",
                                  u"symmetric_difference",
                                  u"unique",
                                  u"make_pair"};

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orrery::fuzz::ensureLoaded();
  FuzzInput in(data, size);

  const TextView command = kCommands[in.below(std::size(kCommands))];
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
  (void)response;
  return 0;
}
