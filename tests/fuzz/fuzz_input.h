// Reads a fuzz input from the front: fixed-size values, then text. Reads
// past the end give zeros, so every input is usable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  template <typename T>
  T Take() {
    T value{};
    size_t n = sizeof(T) < m_size ? sizeof(T) : m_size;
    if (n) std::memcpy(&value, m_data, n);
    Skip(n);
    return value;
  }

  // Bytes up to the next `separator` (which is consumed), or all that is left.
  std::string TakeUntil(uint8_t separator) {
    const void* end = m_size ? std::memchr(m_data, separator, m_size) : nullptr;
    size_t n = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - m_data) : m_size;
    std::string bytes(reinterpret_cast<const char*>(m_data), n);
    Skip(end ? n + 1 : n);
    return bytes;
  }

  // The rest where libFuzzer put it: no terminator follows, so code that
  // reads one byte past the given length is caught.
  std::string_view TakeRestInPlace() {
    std::string_view rest(reinterpret_cast<const char*>(m_data), m_size);
    Skip(m_size);
    return rest;
  }

  std::string TakeRest() {
    std::string bytes(reinterpret_cast<const char*>(m_data), m_size);
    Skip(m_size);
    return bytes;
  }

 private:
  void Skip(size_t n) {
    m_data += n;
    m_size -= n;
  }

  const uint8_t* m_data;
  size_t m_size;
};

// Little-endian UTF-16 units of the bytes (an odd last byte is dropped).
inline std::u16string Utf16Units(const std::string& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                    (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

#define FUZZ_CHECK(condition)                                 \
  do {                                                        \
    if (!(condition)) {                                       \
      std::fprintf(stderr, "check failed: %s\n", #condition); \
      std::abort();                                           \
    }                                                         \
  } while (0)
