#pragma once
// Charset names as hosts write them: "UTF8", "utf-8", "EUC_JP", "eucJP", a trailing blank.
// Letters compare without case, "-" and "_" are the same, and blanks (spaces and tabs)
// at the end of the value do not count. Names nobody recognises mean code page 932.
#include <optional>
#include <string>

#include "protocol/text.h"

namespace orrery {

enum class RequestCharset { kShiftJis, kUtf8, kEucJp, kIso2022Jp };

// The charset a header value names, given without its line end: the parsed Charset
// header, or the bytes of the value in the raw request.
RequestCharset charsetNamed(BytesView value);
RequestCharset charsetNamed(TextView value);

// The same reading, empty for a name that no spelling matches (rather than code page
// 932), so that a tool can refuse names the module would not recognise.
std::optional<RequestCharset> knownCharsetNamed(BytesView value);

// Every spelling the module recognises, in its folded form ("UTF-8, UTF8, ..."), for
// messages.
std::string knownCharsetSpellings();

// The charset named by the raw header value that starts `line` and ends at the first
// CR LF. A value the text ends inside names nothing, as the parser never completes
// that header either.
RequestCharset charsetOfValueLine(BytesView line);

}  // namespace orrery
