#include "engine_test_support.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine_core.h"

namespace enginetest {

std::string BaseUrl() {
  const char* base = std::getenv("ENGINE_TEST_BASE_URL");
  return base ? base : "";
}

std::string ServedPattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(((i * 131) + (i >> 8)) & 0xFF);
  return bytes;
}

std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::wstring TempFile(const std::wstring& name) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"enginetest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

std::string Narrow(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) result.push_back(static_cast<char>(c));
  return result;
}

std::string ReadReport(const char* prefix) {
  return ReadWholeFile(enginefixture::ReportPath(prefix, GetCurrentProcessId()));
}

void DeleteReport(const char* prefix) {
  DeleteFileW(enginefixture::ReportPath(prefix, GetCurrentProcessId()).c_str());
}

}  // namespace enginetest
