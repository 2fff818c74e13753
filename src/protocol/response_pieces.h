#pragma once
// The response in the code units of any writer (UTF-16, UTF-8): the protocol's own
// pieces are ASCII and written as they are, the command's texts (Result and Values)
// through a text codec the writer chooses. One call measures the whole response and one
// writes it, so a writer never goes back and forth per piece. The record's status must
// be settled first.
//
// A codec is a type with `Unit`, `length(TextView)` (code units of the encoded text),
// `write(TextView, Unit*)` (returns the end of what it wrote) and `kReadsTexts` (whether
// `length` reads the text rather than only its size).
#include <cstring>

#include "protocol/prefetch.h"
#include "protocol/response_output.h"
#include "protocol/saori_request.h"
#include "protocol/unit_search.h"

namespace orrery::response {

inline constexpr TextView kProtocol = u"SAORI/1.0 ";
inline constexpr TextView kResultPrefix = u"Result: ";
inline constexpr TextView kValuePrefix = u"Value";
inline constexpr TextView kValueSeparator = u": ";
inline constexpr TextView kLineEnd = u"\r\n";
inline constexpr std::size_t kPrefetchDistance = 16;

// Constants rather than literals at each return, so that no length is counted at run time.
inline constexpr TextView kStatusOk = u"200 OK\r\n";
inline constexpr TextView kStatusNoContent = u"204 No Content\r\n";
inline constexpr TextView kStatusBadRequest = u"400 Bad Request\r\n";
inline constexpr TextView kStatusInternalError = u"500 Internal Server Error\r\n";

inline TextView statusText(std::int32_t status) {
  switch (status) {
    case SaoriRequest::kOk:
      return kStatusOk;
    case SaoriRequest::kNoContent:
      return kStatusNoContent;
    case SaoriRequest::kBadRequest:
      return kStatusBadRequest;
    default:
      return kStatusInternalError;
  }
}

// The command's texts as they are, for the UTF-16 response.
struct Utf16Texts {
  using Unit = char16_t;
  static constexpr bool kReadsTexts = false;
  static std::size_t length(TextView text) { return text.size(); }
  static char16_t* write(TextView text, char16_t* out) { return putUnits(out, text); }
};

// Writes an ASCII piece in the writer's code units.
template <typename Unit>
Unit* putAscii(Unit* out, TextView ascii) {
  if constexpr (sizeof(Unit) == sizeof(char16_t)) {
    return putUnits(out, ascii);
  } else {
    for (const char16_t c : ascii) *out++ = static_cast<Unit>(c);
    return out;
  }
}

// The name of a Value line together with the line end of the line before it:
// "\r\nValue" + index + ": ", one run whose index counts up in place rather than being
// formatted afresh for every line.
template <typename Unit>
class LineName {
 public:
  LineName() {
    put(kSize - kValueSeparator.size(), kValueSeparator);
    buffer_[digits_] = static_cast<Unit>(u'0');
    putPrefix();
  }

  std::size_t size() const { return kSize - first_; }
  const Unit* data() const { return buffer_ + first_; }

  // Writes the name to `out` and returns the end. A name is at least 10 code units and
  // up to 16 for indexes of up to seven digits, so two overlapping fixed moves copy it.
  Unit* putTo(Unit* out) const {
    const std::size_t n = size();
    const Unit* end = buffer_ + kSize;
    if (n <= 16) {
      std::memcpy(out, end - n, 8 * sizeof(Unit));
      std::memcpy(out + n - 8, end - 8, 8 * sizeof(Unit));
    } else {
      std::memcpy(out, end - n, n * sizeof(Unit));
    }
    return out + n;
  }

  void increment() {
    std::size_t i = kSize - kValueSeparator.size() - 1;
    for (; i >= digits_ && buffer_[i] == static_cast<Unit>(u'9'); --i) {
      buffer_[i] = static_cast<Unit>(u'0');
    }
    if (i >= digits_) {
      ++buffer_[i];
      return;
    }
    buffer_[--digits_] = static_cast<Unit>(u'1');  // one digit more
    putPrefix();
  }

 private:
  static constexpr std::size_t kMaxDigits = 20;  // any 64-bit count
  static constexpr std::size_t kSize =
      kLineEnd.size() + kValuePrefix.size() + kMaxDigits + kValueSeparator.size();

  void put(std::size_t at, TextView ascii) { putAscii(buffer_ + at, ascii); }
  void putPrefix() {
    first_ = digits_ - kLineEnd.size() - kValuePrefix.size();
    put(first_, kLineEnd);
    put(first_ + kLineEnd.size(), kValuePrefix);
  }

  Unit buffer_[kSize];
  std::size_t digits_ = kSize - kValueSeparator.size() - 1;  // where the index starts
  std::size_t first_ = 0;
};

// Code units of all Value line names: "Value" + index + ": " + CR LF per value.
inline std::size_t valueLinesOverhead(std::size_t count) {
  std::size_t total = count * (kValuePrefix.size() + kValueSeparator.size() + kLineEnd.size());
  // Digits of 0..count-1: count every index of each digit length.
  for (std::size_t low = 0, high = 10, digits = 1; low < count; low = high, high *= 10, ++digits) {
    total += ((count < high ? count : high) - low) * digits;
  }
  return total;
}

// The Value lines, each but the first after the line end of the line before it, to
// `sink` (see emit), which is taken and given back by value: a pointer to write through
// then stays in a register for the whole loop.
template <bool kPairs, typename Texts, typename Sink>
Sink emitValues(const Texts& texts, std::size_t count, Sink sink) {
  LineName<typename Sink::Unit> name;
  for (std::size_t i = 0; i < count; ++i, name.increment()) {
    // Values often view their texts in another order than they were sent (sorted or
    // shuffled items), so fetch a few ahead of the copy.
    if (i + kPrefetchDistance < count) prefetchForRead(texts.first(i + kPrefetchDistance).data());
    // Read before the line is written: the values may lie in the room being written.
    const TextView first = texts.first(i);
    TextView second;
    if constexpr (kPairs) second = texts.second(i);
    sink.name(name);
    sink.text(first);
    if constexpr (kPairs) {
      sink.text(kPairSeparatorText);
      sink.text(second);
    }
  }
  return sink;
}

// The whole response, then `tail`, in order, to `sink`: a small copyable type with
// `Unit`, `ascii(TextView)` for the protocol's own pieces, `text(TextView)` for the
// command's texts and `name(const LineName<Unit>&)` for the name of a Value line.
template <typename Sink>
void emit(const SaoriRequest& record, TextView tail, Sink& sink) {
  sink.ascii(kProtocol);
  sink.ascii(statusText(record.status));
  if (record.status == SaoriRequest::kOk) {
    sink.ascii(kResultPrefix);
    sink.text(record.result);
    const ValueList& values = record.values;
    values.visitTexts([&](const auto& texts) {
      sink = values.holdsPairs() ? emitValues<true>(texts, values.size(), sink)
                                 : emitValues<false>(texts, values.size(), sink);
    });
    sink.ascii(kLineEnd);
  }
  sink.ascii(tail);
}

// Writes to a pointer, the command's texts through `Codec`.
template <typename Codec>
struct PointerSink {
  using Unit = typename Codec::Unit;
  Unit* out;
  void ascii(TextView piece) { out = putAscii(out, piece); }
  void text(TextView piece) { out = Codec::write(piece, out); }
  void name(const LineName<Unit>& name) { out = name.putTo(out); }
};

// Code units of the whole response through `Codec`, followed by the ASCII `tail`.
template <typename Codec>
std::size_t length(const SaoriRequest& record, TextView tail = {}) {
  std::size_t total = kProtocol.size() + statusText(record.status).size() + tail.size();
  if (record.status != SaoriRequest::kOk) return total;
  const ValueList& values = record.values;
  total += kResultPrefix.size() + Codec::length(record.result) + kLineEnd.size() +
           valueLinesOverhead(values.size());
  const std::size_t count = values.size();
  return values.visitTexts([&](const auto& texts) {
    for (std::size_t i = 0; i < count; ++i) {
      // A codec that reads the texts to measure them reads them in the values' order.
      if constexpr (Codec::kReadsTexts) {
        if (i + kPrefetchDistance < count)
          prefetchForRead(texts.first(i + kPrefetchDistance).data());
      }
      total += Codec::length(texts.first(i));
    }
    if (values.holdsPairs()) {
      for (std::size_t i = 0; i < count; ++i) {
        total += Codec::length(kPairSeparatorText) + Codec::length(texts.second(i));
      }
    }
    return total;
  });
}

// Writes the whole response through `Codec`, then `tail`, to `out`, which has room for
// length<Codec>(record, tail) code units; returns the end of what was written.
template <typename Codec>
typename Codec::Unit* write(const SaoriRequest& record, typename Codec::Unit* out,
                            TextView tail = {}) {
  PointerSink<Codec> sink{out};
  emit(record, tail, sink);
  return sink.out;
}

// True when the writer, reading each value before writing its line, never overtakes a
// value it has yet to read, with the values of `entryBytes` each moved to the end of the
// response and aligned back by at most 7 bytes. Every line but the first is at least
// "\r\nValue0: " and longer than a value, and the first line and the response's end
// (a line end and the tail) leave room for the alignment.
template <typename Unit>
constexpr bool valuesStayAhead(std::size_t entryBytes, std::size_t tailUnits) {
  constexpr std::size_t kAlignment = 7;
  const std::size_t firstLine = (kValuePrefix.size() + 1 + kValueSeparator.size()) * sizeof(Unit);
  const std::size_t line = kLineEnd.size() * sizeof(Unit) + firstLine;
  const std::size_t end = (kLineEnd.size() + tailUnits) * sizeof(Unit);
  return entryBytes <= line && line - entryBytes + end >= kAlignment &&
         firstLine + end >= entryBytes + kAlignment;
}

// Room for a response of `length` code units, ending in `tail`: when `from` asks for it
// and `out` can, the block that holds the Values, which then move to its end (their
// pages are touched already, where a fresh block's are not on a first request); else a
// fresh block. Null when there is no room. `bound` says that `length` only bounds the
// response, whose end then may stay untouched: large Values move aside (see moveInto).
template <typename Unit>
Unit* allocateRoom(SaoriRequest& record, ResponseOutput<Unit>& out, std::size_t length,
                   TextView tail, AnswerRoom from, bool bound = false) {
  ValueList& values = record.values;
  if (from == AnswerRoom::kOverValues && record.status == SaoriRequest::kOk && !values.empty() &&
      valuesStayAhead<Unit>(values.entryBytes(), tail.size())) {
    std::byte* room = values.moveInto(
        length * sizeof(Unit),
        [&](ScratchMemory::Block& block) {
          return reinterpret_cast<std::byte*>(out.allocateOver(block, length));
        },
        bound);
    if (room != nullptr) return reinterpret_cast<Unit*>(room);
  }
  return out.allocate(length);
}

}  // namespace orrery::response
