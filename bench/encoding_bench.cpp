// The 8-bit entry's encoding work per byte: decoding a request in each charset
// (decode_*) and encoding a response (encode_*), against the bare system conversion of
// the same text ("baseline": iconv or the Win32 call) and a plain widening or narrowing
// copy ("copy"); and the two Japanese converters alone against a byte copy (convert_*).
// The argument is the length of the sample text in characters; throughput is reported
// in bytes of the 8-bit side.
#include <cstring>
#include <random>

#include "bench_support.h"
#include "encoding/charset_bridge.h"
#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "encoding/utf8.h"
#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

using namespace orrery;

enum class Charset { kShiftJis, kUtf8, kEucJp, kIso2022Jp };
enum class Kind { kAscii, kJapanese };

// A text of `count` characters as JIS X 0208 codes (row, cell), or ASCII letters.
struct Sample {
  Bytes shiftJis;
  Bytes eucJp;
  Bytes iso2022Jp;
};

Sample makeSample(Kind kind, std::size_t count) {
  Sample s;
  std::mt19937 rng(7);
  if (kind == Kind::kAscii) {
    for (std::size_t i = 0; i < count; ++i)
      s.shiftJis.push_back(static_cast<char>('a' + rng() % 26));
    s.eucJp = s.iso2022Jp = s.shiftJis;
    return s;
  }
  s.iso2022Jp = "\x1B$B";
  for (std::size_t i = 0; i < count; ++i) {
    // Hiragana (row 4), katakana (row 5) and level-1 kanji (rows 16 to 47).
    const unsigned pick = rng() % 4;
    const unsigned row = pick == 0 ? 4 : pick == 1 ? 5 : 16 + rng() % 32;
    const unsigned cell = 1 + rng() % (row < 16 ? 83 : 94);
    const unsigned j1 = row + 0x20, j2 = cell + 0x20;
    const unsigned lead = row <= 62 ? (row + 0x101) / 2 : (row + 0x181) / 2;
    const unsigned trail = row % 2 == 1 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
    s.shiftJis += {static_cast<char>(lead), static_cast<char>(trail)};
    s.eucJp += {static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)};
    s.iso2022Jp += {static_cast<char>(j1), static_cast<char>(j2)};
  }
  s.iso2022Jp += "\x1B(B";
  return s;
}

Bytes wrapRequest(const char* charset, BytesView argument) {
  return "EXECUTE SAORI/1.0\r\nCharset: " + Bytes(charset) +
         "\r\nArgument0: x\r\nArgument1: " + Bytes(argument) + "\r\n\r\n";
}

// The request in the given charset, and the same request in Shift_JIS for the bare
// code page 932 conversion.
struct RequestPair {
  Bytes request;
  Bytes shiftJis;
};

RequestPair makeRequest(Charset charset, Kind kind, std::size_t count) {
  const Sample s = makeSample(kind, count);
  RequestPair r;
  r.shiftJis = wrapRequest("Shift_JIS", s.shiftJis);
  switch (charset) {
    case Charset::kShiftJis:
      r.request = r.shiftJis;
      break;
    case Charset::kEucJp:
      r.request = wrapRequest("EUC-JP", s.eucJp);
      break;
    case Charset::kIso2022Jp:
      r.request = wrapRequest("ISO-2022-JP", s.iso2022Jp);
      break;
    case Charset::kUtf8: {
      Text text;
      platform::cp932ToUtf16(s.shiftJis, text);
      Bytes utf8;
      encodeUtf8(text, utf8);
      r.request = wrapRequest("UTF-8", utf8);
      break;
    }
  }
  return r;
}

// The system's own UTF-8 conversions, as the bare baseline for the module's codec.
#ifdef _WIN32
void systemUtf8ToUtf16(BytesView in, Text& out) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  out.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, in.data(), static_cast<int>(in.size()),
                      reinterpret_cast<wchar_t*>(out.data()), n);
}
void systemUtf16ToUtf8(TextView in, Bytes& out) {
  const auto* w = reinterpret_cast<const wchar_t*>(in.data());
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(in.size()), out.data(), n, nullptr, nullptr);
}
#else
void runIconv(iconv_t cd, const char* in, std::size_t inBytes, char* out, std::size_t& outBytes) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in);
  char* dst = out;
  std::size_t left = outBytes;
  iconv(cd, &src, &inBytes, &dst, &left);
  outBytes -= left;
}
void systemUtf8ToUtf16(BytesView in, Text& out) {
  static iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
  out.resize(in.size());
  std::size_t bytes = out.size() * 2;
  runIconv(cd, in.data(), in.size(), reinterpret_cast<char*>(out.data()), bytes);
  out.resize(bytes / 2);
}
void systemUtf16ToUtf8(TextView in, Bytes& out) {
  static iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
  out.resize(in.size() * 3);
  std::size_t bytes = out.size();
  runIconv(cd, reinterpret_cast<const char*>(in.data()), in.size() * 2, out.data(), bytes);
  out.resize(bytes);
}
#endif

void decodeOrrery(benchmark::State& state, Charset charset, Kind kind) {
  const RequestPair r = makeRequest(charset, kind, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Text text;
    decodeRequest(r.request, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * r.request.size()));
}

void decodeBaseline(benchmark::State& state, Charset charset, Kind kind) {
  const RequestPair r = makeRequest(charset, kind, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Text text;
    if (charset == Charset::kUtf8) {
      systemUtf8ToUtf16(r.request, text);
    } else {
      platform::cp932ToUtf16(r.shiftJis, text);
    }
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * r.request.size()));
}

void decodeCopy(benchmark::State& state, Charset charset, Kind kind) {
  const RequestPair r = makeRequest(charset, kind, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Text text(r.request.begin(), r.request.end());
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * r.request.size()));
}

// The Japanese converters alone, against copying the same bytes.
void convertOrrery(benchmark::State& state, Charset charset, Kind kind) {
  const RequestPair r = makeRequest(charset, kind, static_cast<std::size_t>(state.range(0)));
  const auto convert = charset == Charset::kEucJp ? eucJpToShiftJis : iso2022JpToShiftJis;
  for (auto _ : state) {
    Bytes out;
    convert(r.request, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * r.request.size()));
}

void convertCopy(benchmark::State& state, Charset charset, Kind kind) {
  const RequestPair r = makeRequest(charset, kind, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Bytes out(r.request);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * r.request.size()));
}

// A response holding the sample text as Value0, before the final encoding.
Text makeResponse(Kind kind, std::size_t count) {
  const Sample s = makeSample(kind, count);
  Text value;
  platform::cp932ToUtf16(s.shiftJis, value);
  return u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: " + value + u"\r\nCharset: Shift_JIS\r\n\r\n";
}

void encodeOrrery(benchmark::State& state, Charset charset, Kind kind) {
  const Text response = makeResponse(kind, static_cast<std::size_t>(state.range(0)));
  const TextView name = charset == Charset::kUtf8 ? u"UTF-8" : u"Shift_JIS";
  std::size_t produced = 0;
  for (auto _ : state) {
    Bytes bytes;
    encodeResponse(response, name, bytes);
    produced = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * produced));
}

void encodeBaseline(benchmark::State& state, Charset charset, Kind kind) {
  const Text response = makeResponse(kind, static_cast<std::size_t>(state.range(0)));
  std::size_t produced = 0;
  for (auto _ : state) {
    Bytes bytes;
    if (charset == Charset::kUtf8) {
      systemUtf16ToUtf8(response, bytes);
    } else {
      platform::utf16ToCp932(response, bytes);
    }
    produced = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * produced));
}

void encodeCopy(benchmark::State& state, Charset, Kind kind) {
  const Text response = makeResponse(kind, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Bytes bytes(response.size(), '\0');
    for (std::size_t i = 0; i < response.size(); ++i) bytes[i] = static_cast<char>(response[i]);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * response.size()));
}

void registerAll() {
  const struct {
    const char* name;
    Charset charset;
  } charsets[] = {{"sjis", Charset::kShiftJis},
                  {"utf8", Charset::kUtf8},
                  {"eucjp", Charset::kEucJp},
                  {"iso2022jp", Charset::kIso2022Jp}};
  const struct {
    const char* name;
    Kind kind;
  } kinds[] = {{"ascii", Kind::kAscii}, {"japanese", Kind::kJapanese}};
  using Fn = void (*)(benchmark::State&, Charset, Kind);
  const struct {
    const char* role;
    Fn decode;
    Fn encode;
    Fn convert;  // the Japanese converters alone; no copy role, the baseline is a copy
  } roles[] = {{"orrery", decodeOrrery, encodeOrrery, convertOrrery},
               {"baseline", decodeBaseline, encodeBaseline, convertCopy},
               {"copy", decodeCopy, encodeCopy, nullptr}};
  for (const auto& c : charsets) {
    for (const auto& k : kinds) {
      for (const auto& r : roles) {
        const std::string group = std::string(c.name) + "_" + k.name;
        benchmark::RegisterBenchmark(("decode_" + group + "/" + r.role).c_str(), r.decode,
                                     c.charset, k.kind)
            ->Arg(64)
            ->Arg(4096);
        if (r.convert != nullptr &&
            (c.charset == Charset::kEucJp || c.charset == Charset::kIso2022Jp)) {
          benchmark::RegisterBenchmark(("convert_" + group + "/" + r.role).c_str(), r.convert,
                                       c.charset, k.kind)
              ->Arg(64)
              ->Arg(4096);
        }
        // Responses are written only in Shift_JIS or UTF-8.
        if (c.charset == Charset::kShiftJis || c.charset == Charset::kUtf8) {
          benchmark::RegisterBenchmark(("encode_" + group + "/" + r.role).c_str(), r.encode,
                                       c.charset, k.kind)
              ->Arg(64)
              ->Arg(4096);
        }
      }
    }
  }
}

const bool registered = (registerAll(), true);

}  // namespace

BENCHMARK_MAIN_WITH_RATIOS();
