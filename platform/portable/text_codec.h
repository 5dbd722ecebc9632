#pragma once

#include <string>
#include <string_view>

namespace orvelle {

enum class TextEncoding { Utf16Le, Utf8WithBom, Utf8 };

// Bytes of a text file to wide characters, recognising a UTF-16LE or UTF-8 byte-order mark.
// Without one the bytes are read as UTF-8, and bytes that are not valid UTF-8 stand for
// themselves (as Latin-1), so no input is ever rejected.
std::wstring DecodeText(std::string_view bytes, TextEncoding& encoding);
// Wide characters to bytes in `encoding`, with its byte-order mark.
std::string EncodeText(std::wstring_view text, TextEncoding encoding);

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);

}  // namespace orvelle
