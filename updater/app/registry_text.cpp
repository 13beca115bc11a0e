#include "app/registry_text.h"

namespace {

char16_t UnitAt(const unsigned char* pData, std::size_t index) {
  return static_cast<char16_t>(pData[2 * index] | (pData[2 * index + 1] << 8));
}

}  // namespace

bool ParseRegistryTextBytes(const unsigned char* pData, std::size_t nBytes, std::u16string& text) {
  if (nBytes == 0) {
    text.clear();
    return true;
  }
  if (pData == nullptr || nBytes % 2 != 0) return false;
  const std::size_t units = nBytes / 2;
  if (UnitAt(pData, units - 1) != 0) return false;
  std::size_t length = 0;
  while (UnitAt(pData, length) != 0) ++length;
  text.resize(length);
  for (std::size_t i = 0; i < length; ++i) text[i] = UnitAt(pData, i);
  return true;
}
