#pragma once
// The one builder of request texts, for orrery-call, the tests and the benches alike,
// and the 8-bit charsets a request is sent in.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orrery::host {

inline constexpr std::string_view kExecuteLine = "EXECUTE SAORI/1.0";
inline constexpr std::string_view kVersionLine = "GET Version SAORI/1.0";
inline constexpr std::string_view kLineEnd = "\r\n";

// Appends the request line and, when not empty, the Charset and Sender headers.
void beginRequest(std::string& out, std::string_view requestLine, std::string_view charset,
                  std::string_view sender);
// Appends "ArgumentN: " and returns where the argument's text begins; the caller
// appends the text and then kLineEnd.
std::size_t beginArgument(std::string& out, std::size_t number);
// Appends the empty line that ends a request.
void endRequest(std::string& out);

// A whole request: `arguments` (UTF-8, Argument0 first) after the headers above.
std::string executeRequest(const std::vector<std::string_view>& arguments,
                           std::string_view charset = {}, std::string_view sender = {});
std::string versionRequest(std::string_view charset = {});

// Encodes a request for the 8-bit entry in `charset`, any spelling the module reads
// (Shift_JIS when empty or unknown).
std::string encodeRequest(const std::u16string& text, const std::string& charset);
// Decodes an 8-bit response by its Charset line.
std::u16string decodeResponse(const std::string& bytes);

}  // namespace orrery::host
