// The connection of one download component to the download engine: the
// out-of-process server over COM, or the engine's core library in process.
// Keeps every task record and the last settings so that a lost connection
// can be replaced and its tasks re-created. Created, used and deleted on the
// component's worker thread; engine events arrive on the engine's threads.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <map>
#include <string>

#include "CDownloadSink.h"
#include "DlCallBack.h"
#include "DownloadEngine.h"
#include "EngineEvents.h"
#include "EngineRecords.h"
#include "call_gate.h"
#include "owners/scoped_com.h"
#include "owners/scoped_win.h"
#include "fund_lock.h"

class CDownload;

class CDownloadDispatcher : public DownloadProxy::DlCallBack {
 public:
  CDownloadDispatcher(uint32_t uiCustomID, CDownload* owner, const std::wstring& strFilePath);
  virtual ~CDownloadDispatcher();

  // The in-process engine's callback: the payload is a bare pointer whose
  // length the event code gives, or for some codes the value itself.
  long OnEngineEvent(int32_t iCode, int32_t iEngineTaskId, void* pPayload) override;
  // Events of the out-of-process engine, their payload with its length.
  long OnEngineEventPayload(int32_t iCode, int32_t iEngineTaskId,
                            const Download::EnginePayload& payload);

  // False when the thread could not join the multithreaded apartment.
  bool InApartment() const { return m_apartment.Succeeded(); }

  int Start();
  void Stop();
  int Restart(uint8_t bEngineLost);
  // Returns the task handle, 0 on failure.
  uint32_t AddTask(const Download::EngineTaskRecord& record, bool bNewTask,
                   uint32_t uiPreviousHandle);
  bool DeleteTask(uint32_t uiTaskHandle);
  bool DeleteTaskByUrl(const char* szUrl);
  bool SetDownloadSpeed(uint32_t uiSpeed);
  bool SetP2PUploadSpeed(uint32_t uiSpeed);
  bool SetSafeMode(int32_t bSafeMode);
  bool SetProxy(const Download::EngineProxyRecord& record);

  int IsStarted() const { return m_bStarted; }
  int InProcessTried() const { return m_bInProcessTried; }

  CDownloadDispatcher(const CDownloadDispatcher&) = delete;
  CDownloadDispatcher& operator=(const CDownloadDispatcher&) = delete;

 private:
  enum class ComConnect { kNoObject, kFailed, kConnected };

  long DeliverEvent(int32_t iCode, int32_t iEngineTaskId, const Download::EnginePayload& payload);
  void ApplyRename(uint32_t uiTaskHandle, const Download::EnginePayload& payload);
  void BindEngineTaskId(int32_t iEngineTaskId, const Download::EnginePayload& payload);

  bool EnsureEngineInstalled();
  bool IsOwnServerRegistered();
  bool ReadRegisteredServer(std::wstring& strPath);
  void FillCommonEngineFolder();
  ComConnect ConnectCom();
  void ReleaseSink();
  void ReleaseComEngine();
  void CloseComEngine();
  void DisposeEngineStream();
  int StartInProcess();
  bool LoadCore();
  void ReleaseCore();

  template <typename Call>
  HRESULT CallEngine(Call call);
  template <typename Record>
  HRESULT SendRecord(HRESULT (STDMETHODCALLTYPE IDownloader::*method)(BSTR*), const Record& record);
  HRESULT SendBytes(HRESULT (STDMETHODCALLTYPE IDownloader::*method)(BSTR*), const void* data,
                    size_t size);
  HRESULT DeleteFromEngine(const std::string& strUrl);
  void ForgetStoredTask(uint32_t uiTaskHandle);

  ScopedComInitialize m_apartment{COINIT_MULTITHREADED};
  Microsoft::WRL::ComPtr<IStream> m_engineStream;
  Microsoft::WRL::ComPtr<IDownloader> m_engine;
  Microsoft::WRL::ComPtr<CDownloadSink> m_sink;
  Microsoft::WRL::ComPtr<IConnectionPoint> m_connectionPoint;
  DWORD m_dwAdviseCookie = 0;
  int32_t m_bStarted = 0;
  CLSID m_classId = {};
  uint32_t m_uiCustomID;
  std::wstring m_strEngineExe;
  std::wstring m_strCoreLibrary;
  Microsoft::WRL::ComPtr<IDownloadCore> m_core;
  ScopedCoLibrary m_coreLibrary;
  int32_t m_iInProcessResult = 0;
  int32_t m_bInProcessTried = 0;
  uint32_t m_uiNextTaskHandle = 1;
  CDownload* m_owner;
  DWORD m_dwEngineThreadId = 0;
  uint32_t m_uiRestartCount = 0;
  uint32_t m_uiSavedSpeed = 0;
  uint32_t m_uiSavedUploadSpeed = 0;
  int32_t m_bSafeModeSaved = 0;
  int32_t m_iSavedSafeMode = 0;
  int32_t m_bProxySaved = 0;
  Download::EngineProxyRecord m_savedProxy = {};
  std::map<uint32_t, Download::EngineTaskRecord> m_taskStore;
  std::map<int32_t, uint32_t> m_engineIds;
  std::wstring m_strOwnExe;
  std::wstring m_strCommonEngineFolder;
  fund::lock::critical_section m_storeLock;
  std::map<std::string, int32_t> m_urlIds;
  // In-process engine events pass here, so none is under way once Stop ends.
  Download::CallGate<CDownloadDispatcher> m_callbackGate;
};
