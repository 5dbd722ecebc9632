#pragma once

#include <string>
#include <string_view>

#include "base/file_store.h"

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
// True when every byte belongs to a well-formed UTF-8 sequence (plain ASCII is UTF-8 too).
bool IsUtf8(std::string_view bytes);

// Each byte as the character of the same number: the legacy code page where there is no system
// to ask.
std::wstring DecodeLatin1(std::string_view bytes);

// A file we read: UTF-16LE after its byte-order mark, UTF-8 after its byte-order mark, UTF-8 when
// the bytes are valid UTF-8, and otherwise the legacy code page through `legacy`. The system
// itself reads only UTF-16LE files as Unicode; our older files are in the legacy code page, and a
// file edited by hand is often UTF-8.
std::wstring DecodeFileText(std::string_view bytes, LegacyDecoder legacy);

}  // namespace orvelle
