#include "download_test_support.h"

#include <objbase.h>

#include "DownloadEngine.h"
#include "test_paths.h"

namespace downloadtest {

void Recorder::Add(Note note) {
  note.dwThreadId = GetCurrentThreadId();
  std::lock_guard<std::mutex> guard(m_lock);
  m_notes.push_back(note);
  m_changed.notify_all();
}

void Recorder::OnTaskInfo(uint32_t uiTaskID, uint32_t uiInfo1, uint32_t uiInfo2) {
  Add({Note::kInfo, uiTaskID, uiInfo1, uiInfo2, std::wstring(), 0});
}
void Recorder::OnFileRenamed(uint32_t uiTaskID, const std::wstring& strNewPath) {
  Add({Note::kRenamed, uiTaskID, 0, 0, strNewPath, 0});
}
void Recorder::OnProgress(uint32_t uiTaskID, uint32_t uiProgress, uint32_t uiProgressInfo) {
  Add({Note::kProgress, uiTaskID, uiProgress, uiProgressInfo, std::wstring(), 0});
}
void Recorder::OnDownloadComplete(uint32_t uiTaskID, uint32_t uiResult) {
  Add({Note::kComplete, uiTaskID, uiResult, 0, std::wstring(), 0});
}
void Recorder::OnTaskStatus(uint32_t uiTaskID, uint32_t uiStatus) {
  Add({Note::kStatus, uiTaskID, uiStatus, 0, std::wstring(), 0});
}
void Recorder::OnEngineLost() { Add({Note::kEngineLost, 0, 0, 0, std::wstring(), 0}); }

bool Recorder::WaitFor(Note::Kind kind, uint32_t uiTaskID, int seconds, Note* note) {
  std::unique_lock<std::mutex> guard(m_lock);
  const Note* found = nullptr;
  bool ok = m_changed.wait_for(guard, std::chrono::seconds(seconds), [&] {
    for (const Note& each : m_notes)
      if (each.kind == kind && each.uiTaskID == uiTaskID) {
        found = &each;
        return true;
      }
    return false;
  });
  if (ok && note) *note = *found;
  return ok;
}

std::vector<Note> Recorder::Notes() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_notes;
}

size_t Recorder::Count(Note::Kind kind, uint32_t uiTaskID) {
  std::lock_guard<std::mutex> guard(m_lock);
  size_t count = 0;
  for (const Note& note : m_notes)
    if (note.kind == kind && note.uiTaskID == uiTaskID) ++count;
  return count;
}

bool WaitUntil(const std::function<bool()>& check, int seconds) {
  DWORD started = GetTickCount();
  while (!check()) {
    if (GetTickCount() - started > static_cast<DWORD>(seconds) * 1000) return false;
    Sleep(50);
  }
  return true;
}

EngineFolder::EngineFolder(const std::vector<std::wstring>& files) : m_files(files) {
  static int s_count = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  m_path = std::wstring(temp) + L"dltest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++s_count) + L"\\";
  CreateDirectoryW(m_path.c_str(), nullptr);
  for (const std::wstring& file : files)
    CopyFileW(testsupport::BinaryPath(file).c_str(), (m_path + file).c_str(), FALSE);
}

EngineFolder::~EngineFolder() {
  for (const std::wstring& file : m_files) {
    // A core library still mapped by a terminated engine may stay a moment.
    for (int i = 0; i < 20 && !DeleteFileW((m_path + file).c_str()); ++i) Sleep(100);
  }
  RemoveDirectoryW(m_path.c_str());
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::vector<DWORD> ServerPids(const std::string& report) {
  std::vector<DWORD> pids;
  size_t at = 0;
  while ((at = report.find("server pid=", at)) != std::string::npos) {
    at += 11;
    pids.push_back(static_cast<DWORD>(std::stoul(report.substr(at))));
  }
  return pids;
}

bool KillProcess(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  bool killed = TerminateProcess(process, 9) != FALSE;
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  return killed;
}

namespace {
std::wstring ClassKey() {
  wchar_t text[40] = {};
  StringFromGUID2(CLSID_Downloader, text, 40);
  return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}
}  // namespace

void UnregisterServer() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey().c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\DownloadProxy.Downloader.1");
}

std::wstring RegisteredServer() {
  wchar_t value[MAX_PATH + 1] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, (ClassKey() + L"\\LocalServer32").c_str(), nullptr,
                   RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return std::wstring();
  return value;
}

}  // namespace downloadtest
