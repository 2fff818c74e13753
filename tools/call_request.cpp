#include "call_request.h"

#include <cerrno>
#include <cstring>

#include "list_input.h"
#include "request_text.h"

namespace orrery::host {
namespace {

constexpr std::string_view kSender = "orrery-call";

// @FILE reads a file with the escapes, @@FILE reads it literally; @- and @@- standard input.
ArgumentSource sourceOf(const std::string& word) {
  if (word.size() >= 3 && word.starts_with("@@")) return ArgumentSource::kLiteralFile;
  if (word.size() >= 2 && word[0] == '@') return ArgumentSource::kFile;
  return ArgumentSource::kWord;
}

std::string filePath(const std::string& word) {
  return word.substr(sourceOf(word) == ArgumentSource::kLiteralFile ? 2 : 1);
}

// Every file opened first, so that a missing one is named before anything is read,
// and the request reserved once for the known sizes.
bool openFiles(const std::vector<std::string>& words, std::vector<File>& files,
               std::size_t& reserve, std::string& error) {
  bool stdinUsed = false;
  for (std::size_t i = 1; i < words.size(); ++i) {
    reserve += 24 + words[i].size();
    if (sourceOf(words[i]) == ArgumentSource::kWord) continue;
    const std::string path = filePath(words[i]);
    if (path == "-") {
      if (stdinUsed) return error = "standard input can be read for one argument only", false;
      stdinUsed = true;
      continue;
    }
    files[i] = openForReading(path);
    if (!files[i]) return error = "cannot read " + path + ": " + std::strerror(errno), false;
    reserve += fileSize(files[i].get());
  }
  return true;
}

}  // namespace

std::vector<std::string_view> CallRequest::argumentTexts() const {
  std::vector<std::string_view> texts;
  for (const auto& [begin, end] : arguments) {
    texts.push_back(std::string_view(bytes).substr(begin, end - begin));
  }
  return texts;
}

void CallRequest::keepOnlyName() {
  std::string name = bytes.substr(arguments[0].first, arguments[0].second - arguments[0].first);
  std::string().swap(bytes);  // the memory itself goes, not only the length
  bytes = std::move(name);
  arguments = {{0, bytes.size()}};
}

std::optional<CallRequest> buildCallRequest(const CallOptions& options, const std::string& charset,
                                            std::string& error) {
  const std::vector<std::string>& words = options.words;
  std::vector<File> files(words.size());
  std::size_t reserve = 64 + words[0].size();
  if (!openFiles(words, files, reserve, error)) return std::nullopt;
  CallRequest request;
  std::string& r = request.bytes;
  r.reserve(reserve);
  beginRequest(r, kExecuteLine, charset, kSender);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::size_t begin = beginArgument(r, i);
    const ArgumentSource source = i == 0 ? ArgumentSource::kWord : sourceOf(words[i]);
    if (files[i]) {
      const bool read = appendFile(files[i].get(), fileSize(files[i].get()), r);
      files[i].reset();
      if (!read) return error = "cannot read " + filePath(words[i]), std::nullopt;
    } else if (source != ArgumentSource::kWord) {
      appendFile(stdin, 0, r);
    } else {
      r += words[i];
    }
    const std::size_t end = prepareArgument(r, begin, r.size(), source, options.lines, error);
    if (end == std::string::npos) {
      const bool fromFile = source != ArgumentSource::kWord;
      error =
          "Argument" + std::to_string(i) + (fromFile ? " (" + words[i] + ")" : "") + ": " + error;
      return std::nullopt;
    }
    r.resize(end);
    request.arguments.emplace_back(begin, end);
    r += kLineEnd;
  }
  endRequest(r);
  return request;
}

CallRequest versionCallRequest(const std::string& charset) {
  return CallRequest{versionRequest(charset), {}};
}

bool readsFiles(const std::vector<std::string>& words) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (sourceOf(words[i]) != ArgumentSource::kWord) return true;
  }
  return false;
}

}  // namespace orrery::host
