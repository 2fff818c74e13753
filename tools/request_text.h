#pragma once
// Building request texts and reading responses for orrery-call.
#include <optional>
#include <string>
#include <vector>

namespace orrery::host {

// Decodes a UTF-8 command-line word and resolves the escapes \1 \2 \\ \t \n \r \xHH
// \uHHHH. Empty with `error` set when an escape is malformed.
std::optional<std::u16string> unescapeArgument(const std::string& word, std::string& error);

// Request texts; a non-empty `charset` adds a Charset header.
std::u16string versionRequest(const std::string& charset);
std::u16string executeRequest(const std::vector<std::u16string>& words, const std::string& charset);

// Encodes a request for the 8-bit entry in `charset`, any spelling the module reads
// (Shift_JIS when empty or unknown).
std::string encodeRequest(const std::u16string& text, const std::string& charset);
// Decodes an 8-bit response by its Charset line.
std::u16string decodeResponse(const std::string& bytes);

// The folder part of a path, with its trailing separator.
std::string directoryOf(const std::string& path);

}  // namespace orrery::host
