// What the download component tests share: a notification recorder, the
// engine folders of both forms and the engine's reports.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "IDownload.h"

namespace downloadtest {

struct Note {
  enum Kind { kInfo, kRenamed, kProgress, kComplete, kStatus, kEngineLost };
  Kind kind;
  uint32_t uiTaskID;
  uint32_t uiValue1;
  uint32_t uiValue2;
  std::wstring strText;
  DWORD dwThreadId;
};

// Records every notification; tests wait for the ones they expect.
class Recorder : public Download::CDownloadNotify {
 public:
  void OnTaskInfo(uint32_t uiTaskID, uint32_t uiInfo1, uint32_t uiInfo2) override;
  void OnFileRenamed(uint32_t uiTaskID, const std::wstring& strNewPath) override;
  void OnProgress(uint32_t uiTaskID, uint32_t uiProgress, uint32_t uiProgressInfo) override;
  void OnDownloadComplete(uint32_t uiTaskID, uint32_t uiResult) override;
  void OnTaskStatus(uint32_t uiTaskID, uint32_t uiStatus) override;
  void OnEngineLost() override;

  // Waits for a note of the kind for the task; fills *note when found.
  bool WaitFor(Note::Kind kind, uint32_t uiTaskID, int seconds, Note* note = nullptr);
  std::vector<Note> Notes();
  size_t Count(Note::Kind kind, uint32_t uiTaskID);

 private:
  void Add(Note note);

  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<Note> m_notes;
};

// Polls until check() holds; false after the time-out.
bool WaitUntil(const std::function<bool()>& check, int seconds);

// A fresh folder in the temporary folder holding copies of the named files
// from the binaries folder; deleted with the object.
class EngineFolder {
 public:
  explicit EngineFolder(const std::vector<std::wstring>& files);
  ~EngineFolder();
  EngineFolder(const EngineFolder&) = delete;
  EngineFolder& operator=(const EngineFolder&) = delete;
  const std::wstring& Path() const { return m_path; }

 private:
  std::wstring m_path;
  std::vector<std::wstring> m_files;
};

size_t CountOf(const std::string& text, const std::string& part);
std::vector<DWORD> ServerPids(const std::string& report);
bool KillProcess(DWORD pid);
// Removes the server's class and ProgID registration.
void UnregisterServer();
// The server's registered LocalServer32 value, empty when none.
std::wstring RegisteredServer();

}  // namespace downloadtest
