#include "list_input.h"

#include <cstring>

#include "core_seam.h"

#ifdef _WIN32
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace orrery::host {
namespace {

constexpr std::size_t kNpos = std::string::npos;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::size_t firstInvalidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    // Most list text is ASCII: skip it eight bytes at a time.
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;  // no surrogates in files
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return i;
    }
    if (n - i < length || p[i + 1] < low || p[i + 1] > high) return i;
    for (std::size_t k = 2; k < length; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return i;
    }
    i += length;
  }
  return kNpos;
}

std::size_t unescapeInPlace(std::string& bytes, std::size_t begin, std::size_t end,
                            std::string& error) {
  char* const base = bytes.data();
  std::size_t r = begin, w = begin;
  while (r < end) {
    const void* found = std::memchr(base + r, '\\', end - r);
    const std::size_t slash =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - base) : end;
    if (w != r) std::memmove(base + w, base + r, slash - r);
    w += slash - r;
    r = slash;
    if (r == end) break;
    if (r + 1 == end) return error = "a lone backslash ends the text", kNpos;
    const char c = base[r + 1];
    r += 2;
    switch (c) {
      case '1':
        base[w++] = seam::kPairSeparatorByte;
        break;
      case '2':
        base[w++] = seam::kListSeparatorByte;
        break;
      case '\\':
        base[w++] = '\\';
        break;
      case 't':
        base[w++] = '\t';
        break;
      case 'n':
        base[w++] = '\n';
        break;
      case 'r':
        base[w++] = '\r';
        break;
      case 'x':
      case 'u': {
        const std::size_t digits = c == 'x' ? 2 : 4;
        unsigned v = 0;
        for (std::size_t k = 0; k < digits; ++k) {
          const int d = r + k < end ? hexDigit(base[r + k]) : -1;
          if (d < 0) return error = "a \\x needs 2 and a \\u 4 hex digits", kNpos;
          v = v << 4 | static_cast<unsigned>(d);
        }
        r += digits;
        w = static_cast<std::size_t>(seam::writeUtf8Unit(static_cast<char16_t>(v), base + w) -
                                     base);
        break;
      }
      default:
        return error = std::string("unknown escape \\") + c + " (a backslash is written \\\\)",
               kNpos;
    }
  }
  return w;
}

std::size_t linesToItems(std::string& bytes, std::size_t begin, std::size_t end) {
  char* const base = bytes.data();
  std::size_t r = begin, w = begin;
  while (r < end) {
    const void* found = std::memchr(base + r, '\n', end - r);
    std::size_t lf = found ? static_cast<std::size_t>(static_cast<const char*>(found) - base) : end;
    std::size_t lineEnd = lf;
    if (lf != end && lineEnd > r && base[lineEnd - 1] == '\r') --lineEnd;
    if (w != r) std::memmove(base + w, base + r, lineEnd - r);
    w += lineEnd - r;
    if (lf == end) break;
    base[w++] = seam::kListSeparatorByte;
    r = lf + 1;
  }
  return w;
}

File openForReading(const std::string& path) {
#ifdef _WIN32
  std::u16string wide;
  appendUtf16(path, wide);
  return File(_wfopen(reinterpret_cast<const wchar_t*>(wide.c_str()), L"rb"));
#else
  return File(std::fopen(path.c_str(), "rb"));
#endif
}

std::size_t fileSize(std::FILE* file) {
#ifdef _WIN32
  struct _stat64 st;
  if (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return 0;
#else
  struct stat st;
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
#endif
  return static_cast<std::size_t>(st.st_size);
}

bool appendFile(std::FILE* file, std::size_t sizeHint, std::string& out) {
  // One read of the known size straight into the request buffer; a pipe grows it.
  std::size_t at = out.size();
  std::size_t room = sizeHint + 1;  // one more byte to see the end without a second call
  for (;;) {
    out.resize(at + room);
    const std::size_t got = std::fread(out.data() + at, 1, room, file);
    at += got;
    if (got < room) break;
    room = std::max<std::size_t>(room, 1 << 16);
  }
  out.resize(at);
  return !std::ferror(file);
}

std::size_t prepareArgument(std::string& bytes, std::size_t begin, std::size_t end,
                            ArgumentSource source, bool lines, std::string& error) {
  const bool fromFile = source != ArgumentSource::kWord;
  if (fromFile && end - begin >= 3 && bytes.compare(begin, 3, "\xEF\xBB\xBF") == 0) {
    bytes.erase(begin, 3);  // rare; the move is paid once
    end -= 3;
  }
  if (const std::size_t bad = firstInvalidUtf8(std::string_view(bytes).substr(begin, end - begin));
      bad != kNpos) {
    return error = "not UTF-8 at byte " + std::to_string(bad), kNpos;
  }
  if (fromFile && lines) {
    end = linesToItems(bytes, begin, end);
  } else if (fromFile && end > begin && bytes[end - 1] == '\n') {
    end -= end - 1 > begin && bytes[end - 2] == '\r' ? 2 : 1;
  }
  if (source != ArgumentSource::kLiteralFile) {
    end = unescapeInPlace(bytes, begin, end, error);
    if (end == kNpos) return kNpos;
  }
  const std::string_view text = std::string_view(bytes).substr(begin, end - begin);
  if (text.find("\r\n") != std::string_view::npos) {
    return error = "the text holds CR LF, which would end its header in the request", kNpos;
  }
  return end;
}

void appendUtf16(std::string_view bytes, std::u16string& out) {
  // The module's decoder skips a leading byte-order mark; an argument keeps its own.
  if (bytes.starts_with("\xEF\xBB\xBF")) out.push_back(u'\xFEFF');
  seam::decodeUtf8(bytes, out);
}

std::string toUtf8(std::u16string_view text) {
  std::string bytes;
  seam::appendUtf8(text, bytes);
  return bytes;
}

}  // namespace orrery::host
