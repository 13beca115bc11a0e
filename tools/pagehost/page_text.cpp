#include "page_text.h"

#include <cmath>

namespace pagehost {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one UTF-8 sequence at bytes[*at], surrogates included (as CESU-8
// holds them); a malformed sequence gives U+FFFD and consumes one byte.
uint32_t DecodeOne(const unsigned char* bytes, size_t length, size_t* at) {
  const unsigned char lead = bytes[*at];
  int count = 0;
  uint32_t minimum = 0, code = 0;
  if (lead < 0x80) {
    ++*at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    count = 1, minimum = 0x80, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    count = 2, minimum = 0x800, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    count = 3, minimum = 0x10000, code = lead & 0x07;
  } else {
    ++*at;
    return kReplacement;
  }
  if (*at + count >= length) {
    ++*at;
    return kReplacement;
  }
  for (int i = 1; i <= count; ++i) {
    if (!IsContinuation(bytes[*at + i])) {
      ++*at;
      return kReplacement;
    }
    code = (code << 6) | (bytes[*at + i] & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF) {
    ++*at;
    return kReplacement;
  }
  *at += count + 1;
  return code;
}

bool IsHighSurrogate(uint32_t code) { return code >= 0xD800 && code <= 0xDBFF; }
bool IsLowSurrogate(uint32_t code) { return code >= 0xDC00 && code <= 0xDFFF; }

void Encode(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

}  // namespace

std::string EngineToUtf8(const char* text, size_t length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::string out;
  out.reserve(length);
  for (size_t at = 0; at < length;) {
    uint32_t code = DecodeOne(bytes, length, &at);
    if (IsHighSurrogate(code)) {
      size_t next = at;
      uint32_t low = next < length ? DecodeOne(bytes, length, &next) : 0;
      if (IsLowSurrogate(low)) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at = next;
      } else {
        code = kReplacement;
      }
    } else if (IsLowSurrogate(code)) {
      code = kReplacement;
    }
    Encode(code, &out);
  }
  return out;
}

std::string Utf8ToEngine(const char* text, size_t length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::string out;
  out.reserve(length);
  for (size_t at = 0; at < length;) {
    uint32_t code = DecodeOne(bytes, length, &at);
    if (IsHighSurrogate(code) || IsLowSurrogate(code)) code = kReplacement;
    if (code >= 0x10000) {
      Encode(0xD800 + ((code - 0x10000) >> 10), &out);
      Encode(0xDC00 + ((code - 0x10000) & 0x3FF), &out);
    } else {
      Encode(code, &out);
    }
  }
  return out;
}

bool FitsInt32(double number, int32_t* value) {
  if (!(number >= -2147483648.0 && number <= 2147483647.0)) return false;  // NaN too
  if (number != std::floor(number)) return false;
  if (number == 0 && std::signbit(number)) return false;
  *value = static_cast<int32_t>(number);
  return true;
}

int DimensionAttribute(const std::string& text, int fallback, int limit) {
  size_t at = 0;
  while (at < text.size() && IsAsciiSpace(text[at])) ++at;
  long long value = 0;
  size_t digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
    value = value * 10 + (text[at] - '0');
    if (value > limit) return fallback;
  }
  return digits ? static_cast<int>(value) : fallback;
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool MimeTypeListed(const std::string& list, const std::string& type) {
  const std::string wanted = AsciiLower(type);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find('|', start);
    if (end == std::string::npos) end = list.size();
    if (AsciiLower(list.substr(start, end - start)) == wanted && !wanted.empty()) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace pagehost
