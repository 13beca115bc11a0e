#include "fault_rows.h"

#include <cstdio>
#include <cstring>

namespace faults {

int RunRows(const std::vector<Row>& rows, int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const Row& row : rows) std::printf("%s\n", row.name);
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ROW | --list\n", argv[0]);
    return 2;
  }
  for (const Row& row : rows) {
    if (std::strcmp(row.name, argv[1]) != 0) continue;
    const std::string observed = row.run();
    std::printf("observed: %s\n", observed.c_str());
    std::fflush(stdout);
    return 0;
  }
  std::fprintf(stderr, "no row %s\n", argv[1]);
  return 2;
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  char block[65536];
  for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, got);
  std::fclose(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

void RemoveEngineReports(DWORD clientPid) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  for (const wchar_t* kind : {L"brimcore-", L"orvanedl-"})
    DeleteFileW((temp + std::wstring(kind) + std::to_wstring(clientPid) + L".txt").c_str());
}

DWORD HandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

std::string HandleWatch::Report() const {
  const DWORD after = HandleCount();
  if (after <= m_before + m_slack) return "handles=ok";
  return "handles=+" + std::to_string(after - m_before);
}

bool WaitUntil(const std::function<bool()>& check, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += 50) {
    if (check()) return true;
    if (waited >= timeoutMs) return false;
    Sleep(50);
  }
}

}  // namespace faults
