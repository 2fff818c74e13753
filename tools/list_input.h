#pragma once
// Argument texts for orrery-call as UTF-8 bytes, built in place in the buffer that the
// request is assembled in: words from the command line, files and standard input.
// Escapes may yield lone surrogates, which are kept as their three-byte form; the
// module's UTF-8 decoder reads that form back as the same code unit.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace orrery::host {

// Position of the first byte that is not well-formed UTF-8, or npos.
std::size_t firstInvalidUtf8(std::string_view bytes);

// Resolves \1 \2 \\ \t \n \r \xHH \uHHHH in bytes[begin, end) in place and returns the new
// end, or npos with `error` set for a malformed escape.
std::size_t unescapeInPlace(std::string& bytes, std::size_t begin, std::size_t end,
                            std::string& error);

// Turns the file text in bytes[begin, end) into one item per line in place: every line
// end (LF or CR LF) becomes U+0002. Returns the new end.
std::size_t linesToItems(std::string& bytes, std::size_t begin, std::size_t end);

// Appends the whole of `file` to `out`, reserving `sizeHint` more bytes first.
bool appendFile(std::FILE* file, std::size_t sizeHint, std::string& out);

// The size of a regular file, 0 when unknown (a pipe, a terminal).
std::size_t fileSize(std::FILE* file);

// A file that closes itself.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens a UTF-8 path for reading in binary mode; null when it cannot.
File openForReading(const std::string& path);

// Where an argument's text came from: a command-line word, @FILE (escapes apply) or
// @@FILE (read literally, no escapes).
enum class ArgumentSource { kWord, kFile, kLiteralFile };

// Prepares the argument text in bytes[begin, end) in place and returns its new end, or
// npos with `error` set. From a file: a leading byte-order mark is dropped, and without
// `lines` one final line end too (editors add it). The text must be UTF-8, and after the
// escapes (none for a literal file) it must not hold CR LF, which would end its header in
// the request.
std::size_t prepareArgument(std::string& bytes, std::size_t begin, std::size_t end,
                            ArgumentSource source, bool lines, std::string& error);

// Appends the UTF-16 form of UTF-8 bytes (lone surrogates in their three-byte form
// included) to `out`.
void appendUtf16(std::string_view bytes, std::u16string& out);
// The UTF-8 form of `text`, lone surrogates in their three-byte form.
std::string toUtf8(std::u16string_view text);

}  // namespace orrery::host
