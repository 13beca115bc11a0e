// The update flow: download the installer named on the command line, verify
// its digest, wait for the upload control to stop, ask the user and start it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "app/zumi_download.h"
#include "owners/scoped_win.h"

// Result codes of the flow.
enum UpdateResult : int {
  UPDATE_OK = 0,
  UPDATE_BAD_PARAMS = -1,
  UPDATE_NO_TEMP_DIR = -3,
  UPDATE_OTHER_INSTANCE = -4,
  UPDATE_DOWNLOAD_FAILED = -5,
  UPDATE_DIGEST_MISMATCH = -7,
  UPDATE_TARGET_MISSING = -8,
  UPDATE_CONTROL_RUNNING = -9,
  UPDATE_LAUNCH_FAILED = -10,
};

class UpdateDeamon : public CZumiDownload {
 public:
  // Takes the single-instance mutex; ends the process with status -4 when
  // another instance runs or the mutex cannot be had.
  UpdateDeamon(const std::wstring& strUrl, const std::wstring& strDigest,
               const std::wstring& strTipText, bool bForce);
  ~UpdateDeamon() override;

  int DoUpdate();

  int MakeTargetPath();
  int DownloadTarget();
  bool DownloadByEngine();
  uint32_t DownloadByHttp();
  int VerifyTarget();
  int WaitForControl();
  int LaunchTarget();

  void OnDownloadComplete(uint32_t uiTaskID, uint32_t uiResult) override;
  // Any other report of the task shows the engine is still at work.
  void OnProgress(uint32_t, uint32_t, uint32_t) override { NoteEngineReport(); }
  void OnTaskInfo(uint32_t, uint32_t, uint32_t) override { NoteEngineReport(); }
  void OnTaskStatus(uint32_t, uint32_t) override { NoteEngineReport(); }
  void OnFileRenamed(uint32_t, const std::wstring&) override { NoteEngineReport(); }

  // The longest wait for the engine's completion. The engine gets as long as
  // the HTTP fetch would (its whole-transfer limit): a large installer on a
  // slow line may take that long either way, and an engine that never
  // reports cannot keep the service from falling back to HTTP.
  static constexpr uint32_t kEngineWaitMs = 3600000;
  static constexpr uint32_t kHttpTimeoutMs = 3600000;
  // A task of a connected engine that reports nothing for this long (an
  // engine that stalls without failing) is deleted and the installer fetched
  // by HTTP, as after an engine failure.
  static constexpr uint32_t kEngineSilenceMs = 120000;

  // Test hook: the service's test build (tests/update_flow) calls this before
  // the flow starts, so that a silent engine costs its tests seconds rather
  // than minutes. The shipped service never calls it.
  static void SetEngineSilenceLimitForTest(uint32_t uiMs) { s_uiEngineSilenceMs = uiMs; }

 private:
  bool WaitForEngineReady();
  bool WaitForEngineCompletion();
  void NoteEngineReport() { m_uiLastReportTick.store(GetTickCount(), std::memory_order_release); }
  bool IsEngineSilent() const;
  // Asks the user; true when the installer is to be started.
  bool AskUser();
  static bool IsVistaOrLater();

  std::wstring m_strUrl;
  std::wstring m_strDigest;
  std::wstring m_strTargetPath;
  std::wstring m_strTipText;
  bool m_bForce;
  int32_t m_nWaitTries = 600;
  int32_t m_nWaitInterval = 1000;
  ScopedHandle m_hMutex;
  uint32_t m_uiTaskId = 0;
  uint32_t m_uiResult = 0;
  std::atomic<int32_t> m_bDone{0};
  std::atomic<uint32_t> m_uiLastReportTick{0};
  static uint32_t s_uiEngineSilenceMs;
  // The verified installer, open against writing and deleting until it has
  // been started, so that what starts is what was verified.
  ScopedHandle m_hTargetLock;
};
