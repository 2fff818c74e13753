// A host that sends one fixed request to the built module, for counting the
// instructions the module spends on it. The request is built and sent once before the
// counted call, so that start-up work (the first use of the code page converters) is
// left out; orrery_counted_call is the only code the count includes.
//
// Usage: orrery_instruction_count_host NAME   (NAME from kRequests; "list" prints them)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "orrery.h"

namespace {

using Text = std::u16string;

// A fixed pseudo-random sequence, so that every run sends the same bytes.
struct Lcg {
  unsigned long long state = 12345;
  unsigned next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>(state >> 33);
  }
};

// Items of 1 to 12 code units, half ASCII, half hiragana; or signed integers.
Text list(std::size_t count, bool integers, unsigned seed) {
  Lcg rng;
  rng.state += seed;
  Text out;
  for (std::size_t i = 0; i < count; ++i) {
    if (integers) {
      const long long v = static_cast<long long>(rng.next()) - 0x40000000ll;
      for (char c : std::to_string(v)) out += static_cast<char16_t>(c);
    } else {
      const unsigned length = 1 + rng.next() % 12;
      const bool ascii = rng.next() % 2 == 0;
      for (unsigned k = 0; k < length; ++k) {
        out += ascii ? static_cast<char16_t>(u'a' + rng.next() % 26)
                     : static_cast<char16_t>(0x3041 + rng.next() % 80);
      }
    }
    out += u'\x0002';
  }
  return out;
}

Text execute(std::u16string_view command, std::initializer_list<Text> arguments,
             std::u16string_view extraHeader = u"") {
  Text out = u"EXECUTE SAORI/1.0\r\n";
  out += extraHeader;
  out += u"Argument0: ";
  out += command;
  out += u"\r\n";
  unsigned n = 1;
  for (const Text& a : arguments) {
    for (char c : "Argument" + std::to_string(n++) + ": ") {
      if (c != '\0') out += static_cast<char16_t>(c);
    }
    out += a;
    out += u"\r\n";
  }
  out += u"\r\n";
  return out;
}

// UTF-16 without surrogates to UTF-8.
std::string utf8(const Text& text) {
  std::string out;
  for (char16_t u : text) {
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

struct Request {
  const char* name;
  bool wide;
  Text (*make)();
};

constexpr std::size_t kSmall = 10;
constexpr std::size_t kLarge = 2000;

const Request kRequests[] = {
    {"version", true, [] { return Text(u"GET Version SAORI/1.0\r\n\r\n"); }},
    {"sort_text_10", true,
     [] {
       return execute(u"sort", {list(kSmall, false, 1), u"S"});
     }},
    {"sort_text_2000", true,
     [] {
       return execute(u"sort", {list(kLarge, false, 1), u"S"});
     }},
    {"sort_integer_2000", true, [] { return execute(u"sort", {list(kLarge, true, 1)}); }},
    {"sort_float_2000", true,
     [] {
       return execute(u"sort", {list(kLarge, true, 1), u"F"});
     }},
    {"sort_length_pair_2000", true,
     [] {
       return execute(u"sort", {list(kLarge, false, 1), u"LPR"});
     }},
    {"shuffle_10", true, [] { return execute(u"shuffle", {list(kSmall, false, 1)}); }},
    {"shuffle_2000", true, [] { return execute(u"shuffle", {list(kLarge, false, 1)}); }},
    {"shuffle_n_2000", true,
     [] {
       return execute(u"shuffle_n", {u"2000", u"0", u"1"});
     }},
    {"unique_2000", true, [] { return execute(u"unique", {list(kLarge, false, 1)}); }},
    {"make_pair_2000", true,
     [] {
       return execute(u"make_pair", {list(kLarge, false, 1), list(kLarge, false, 2)});
     }},
    {"union_2000", true,
     [] {
       return execute(u"union", {list(kLarge, false, 1), list(kLarge, false, 2)});
     }},
    {"intersection_2000", true,
     [] {
       return execute(u"intersection", {list(kLarge, false, 1), list(kLarge, false, 1)});
     }},
    {"difference_2000", true,
     [] {
       return execute(u"difference", {list(kLarge, false, 1), list(kLarge, false, 2)});
     }},
    {"symmetric_difference_2000", true,
     [] {
       return execute(u"symmetric_difference", {list(kLarge, false, 1), list(kLarge, false, 2)});
     }},
    {"utf8_sort_text_10", false,
     [] {
       return execute(u"sort", {list(kSmall, false, 1), u"S"}, u"Charset: UTF-8\r\n");
     }},
    {"utf8_sort_text_2000", false,
     [] {
       return execute(u"sort", {list(kLarge, false, 1), u"S"}, u"Charset: UTF-8\r\n");
     }},
    {"shift_jis_sort_text_2000", false,
     [] {
       return execute(u"sort", {list(kLarge, true, 1), u"S"});
     }},
};

// Hands one copy of the request to the module and frees the answer, as a host does.
__attribute__((noinline)) long send(const void* bytes, std::size_t size, bool wide) {
  char* block = static_cast<char*>(std::malloc(size == 0 ? 1 : size));
  std::memcpy(block, bytes, size);
  long len = static_cast<long>(wide ? size / 2 : size);
  char* response = wide ? requestw(block, &len) : request(block, &len);
  std::free(response);
  return len;
}

// The one call that callgrind counts.
extern "C" __attribute__((noinline)) long orrery_counted_call(const void* bytes, std::size_t size,
                                                              bool wide) {
  return send(bytes, size, wide);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s NAME|list\n", argv[0]);
    return 2;
  }
  const std::string_view name = argv[1];
  for (const Request& r : kRequests) {
    if (name == "list") {
      std::printf("%s\n", r.name);
      continue;
    }
    if (name != r.name) continue;
    const Text text = r.make();
    const std::string narrow = r.wide ? std::string() : utf8(text);
    const void* bytes = r.wide ? static_cast<const void*>(text.data()) : narrow.data();
    const std::size_t size = r.wide ? text.size() * 2 : narrow.size();
    char path[] = ".";
    char* dir = static_cast<char*>(std::malloc(1));
    std::memcpy(dir, path, 1);
    load(dir, 1);
    send(bytes, size, r.wide);  // warms the converters and resolves the module's imports
    const long len = orrery_counted_call(bytes, size, r.wide);
    unload();
    // Every fixed request is answered with something longer than a status line.
    return len > 20 ? 0 : 1;
  }
  if (name == "list") return 0;
  std::fprintf(stderr, "unknown request %s\n", argv[1]);
  return 2;
}
