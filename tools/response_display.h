#pragma once
// How orrery-call shows an answer: UTF-8 for a terminal, every control character and
// lone surrogate as an escape that arguments accept back.
#include <cstdio>
#include <string>
#include <string_view>

namespace orrery::host {

// Collects output and writes it to `file` in large blocks.
class OutputSink {
 public:
  explicit OutputSink(std::FILE* file) : file_(file) { buffer_.reserve(kBlock + kBlock / 4); }
  ~OutputSink() { flush(); }
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  std::string& buffer() { return buffer_; }
  void maybeFlush() {
    if (buffer_.size() >= kBlock) flush();
  }
  void flush();

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::FILE* file_;
  std::string buffer_;
};

// Appends `text` (UTF-8, lone surrogates in their three-byte form) with \\ \t \n \r \1 \2
// for those characters, \xHH for the other C0 and C1 controls and DEL, \uHHHH for lone
// surrogates.
void appendShown(std::string& out, std::string_view text);

// `text` shown as above between backquotes, cut after about `maxBytes` bytes (never
// inside a character) with "..." added: for quoting user input in a message.
std::string quotedExcerpt(std::string_view text, std::size_t maxBytes);

// The whole response, line ends as newlines and every line shown as above.
void showResponse(std::string_view response, OutputSink& out);
// Only the items of the Result and then the Values, one per line, shown as above;
// nothing for an answer other than 200.
void showLines(std::string_view response, OutputSink& out);

// 0 for a 2xx status line, 1 for any other.
int statusExitCode(std::string_view response);

}  // namespace orrery::host
