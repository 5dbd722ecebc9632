#include "platform/portable/text_codec.h"

#include <cstdint>

namespace orvelle {
namespace {

void AppendCodePoint(std::wstring& out, uint32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Wide string to code points, joining surrogate pairs where wchar_t is 16 bits wide.
template <typename Visit>
void ForEachCodePoint(std::wstring_view text, Visit visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = static_cast<uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
        const uint32_t low = static_cast<uint16_t>(text[i + 1]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    visit(cp);
  }
}

// Length of the well-formed UTF-8 sequence at `i` with its code point, or 0 when there is none.
int Utf8Sequence(std::string_view bytes, size_t i, uint32_t& cp) {
  const auto b0 = static_cast<uint8_t>(bytes[i]);
  const int length = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + static_cast<size_t>(length) > bytes.size()) return 0;
  cp = length == 1 ? b0 : length == 2 ? (b0 & 0x1F) : length == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (int k = 1; k < length; ++k) {
    const auto b = static_cast<uint8_t>(bytes[i + static_cast<size_t>(k)]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  static constexpr uint32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::wstring FromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    uint32_t cp = 0;
    const int length = Utf8Sequence(bytes, i, cp);
    if (length == 0) {
      out.push_back(static_cast<wchar_t>(static_cast<uint8_t>(bytes[i])));
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += static_cast<size_t>(length);
  }
  return out;
}

bool IsUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    uint32_t cp = 0;
    const int length = Utf8Sequence(bytes, i, cp);
    if (length == 0) return false;
    i += static_cast<size_t>(length);
  }
  return true;
}

std::wstring DecodeLatin1(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<uint8_t>(c)));
  return out;
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](uint32_t cp) { AppendUtf8(out, cp); });
  return out;
}

std::wstring DecodeText(std::string_view bytes, TextEncoding& encoding) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
    encoding = TextEncoding::Utf16Le;
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      uint32_t unit = static_cast<uint8_t>(bytes[i]) | (static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8);
      if constexpr (sizeof(wchar_t) == 4) {
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
          const uint32_t low = static_cast<uint8_t>(bytes[i + 2]) |
                               (static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 3])) << 8);
          if (low >= 0xDC00 && low <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
          }
        }
      }
      out.push_back(static_cast<wchar_t>(unit));
    }
    return out;
  }
  if (bytes.size() >= 3 && static_cast<uint8_t>(bytes[0]) == 0xEF && static_cast<uint8_t>(bytes[1]) == 0xBB &&
      static_cast<uint8_t>(bytes[2]) == 0xBF) {
    encoding = TextEncoding::Utf8WithBom;
    return FromUtf8(bytes.substr(3));
  }
  encoding = TextEncoding::Utf8;
  return FromUtf8(bytes);
}

std::string EncodeText(std::wstring_view text, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf16Le) {
    std::string out("\xFF\xFE");
    out.reserve(2 + text.size() * 2);
    auto unit = [&](uint32_t u) {
      out.push_back(static_cast<char>(u & 0xFF));
      out.push_back(static_cast<char>((u >> 8) & 0xFF));
    };
    ForEachCodePoint(text, [&](uint32_t cp) {
      if (cp >= 0x10000 && cp <= 0x10FFFF) {
        cp -= 0x10000;
        unit(0xD800 + (cp >> 10));
        unit(0xDC00 + (cp & 0x3FF));
      } else {
        unit(cp > 0x10FFFF ? 0xFFFD : cp);
      }
    });
    return out;
  }
  std::string out = encoding == TextEncoding::Utf8WithBom ? std::string("\xEF\xBB\xBF") : std::string();
  return out + ToUtf8(text);
}

std::wstring DecodeFileText(std::string_view bytes, LegacyDecoder legacy) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  const bool unicodeMark = (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) ||
                           (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF);
  if (unicodeMark || IsUtf8(bytes)) {
    TextEncoding ignored;
    return DecodeText(bytes, ignored);
  }
  return legacy != nullptr ? legacy(bytes) : DecodeLatin1(bytes);
}

}  // namespace orvelle
