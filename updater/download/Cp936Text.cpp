#include "Cp936Text.h"

#include <windows.h>

namespace Download {

namespace {
const UINT kCodePage936 = 936;
}

std::string WideToCp936(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(kCodePage936, 0, text.data(), static_cast<int>(text.size()),
                                 nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(kCodePage936, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                      nullptr, nullptr);
  return result;
}

std::wstring Cp936ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size =
      MultiByteToWideChar(kCodePage936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(kCodePage936, 0, text.data(), static_cast<int>(text.size()), &result[0],
                      size);
  return result;
}

}  // namespace Download
