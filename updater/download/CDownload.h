// The download component: the client's operations are queued as commands
// for one worker thread, which carries them out against the engine through
// a CDownloadDispatcher; engine events come back through OnNotify.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EngineEvents.h"
#include "IDownload.h"
#include "owners/scoped_win.h"
#include "fund_lock.h"

class CDownloadDispatcher;

class CDownload : public Download::CIDownload {
 public:
  // Throws the narrow string "CDownload: DownloadNotify invalid pointer!"
  // when notify is null.
  CDownload(uint32_t uiCustomID, const std::wstring& strFilePath,
            Download::CDownloadNotify* notify);
  ~CDownload() override;

  int CreateTask(const TaskInfo& stTaskInfo, uint32_t& uiTaskID) override;
  void DeleteTask(const std::wstring& strUrl) override;
  void DeleteTask(uint32_t uiTaskID) override;
  int SetDownloadSpeed(uint32_t uiSpeed) override;
  int SetP2PUploadSpeed(uint32_t uiSpeed) override;
  int SetSafeMode(int32_t bSafeMode) override;
  int SetProxy(const ProxyInfo& stProxyInfo) override;
  int IsWorking() override;
  int GetTaskInfo(const std::wstring& strUrl, TaskState& stTaskState) override;
  int GetTaskInfo(uint32_t uiTaskID, TaskState& stTaskState) override;

  // An engine event for a task handle, from the dispatcher. Returns 0.
  long OnNotify(const Download::EnginePayload& payload, int32_t iCode, uint32_t uiTaskHandle);
  // Sets the handle of a task id that is still in the id map.
  void BindTaskHandle(uint32_t uiTaskID, uint32_t uiTaskHandle);

  CDownload(const CDownload&) = delete;
  CDownload& operator=(const CDownload&) = delete;

 private:
  enum CommandKind {
    kCommandInit = 1,
    kCommandUninit = 2,
    kCommandCreateTask = 3,
    kCommandDeleteTaskById = 4,
    kCommandDeleteTaskByUrl = 5,
    kCommandSetDownloadSpeed = 6,
    kCommandSetP2PUploadSpeed = 7,
    kCommandSetSafeMode = 8,
    kCommandSetProxy = 9,
  };
  struct NewTask {
    TaskInfo info;
    uint32_t uiUserData = 0;
    uint32_t uiTaskID = 0;
  };
  // A command owns its data, so one still queued at destruction is freed.
  struct Command {
    int iKind = 0;
    uint32_t uiValue = 0;
    std::unique_ptr<NewTask> task;
    std::unique_ptr<wchar_t[]> url;
    std::unique_ptr<ProxyInfo> proxy;
  };

  int Init();
  void Uninit();
  void Queue(Command command);
  bool TakeCommand(Command& command);
  bool QueueEmpty();
  // Worker only: whether the stop event was set.
  bool Stopping();

  static DWORD WINAPI WorkerMain(void* parameter);
  void WorkerLoop();
  void IdleProbe();
  void Carry(Command& command, bool& bRunning);
  void HandleInit();
  void HandleUninit();
  int HandleCreateTask(const NewTask& task);
  void HandleDeleteTask(uint32_t uiTaskID);
  void HandleDeleteTask(const wchar_t* szUrl);
  int HandleSetProxy(const ProxyInfo& stProxyInfo);
  void ReleaseTasksOnExit();

  TaskState* FindTaskById(uint32_t uiTaskID);
  TaskState* FindTaskByUrl(const std::wstring& strUrl);
  uint32_t TaskIdOfHandle(uint32_t uiTaskHandle);

  std::unique_ptr<CDownloadDispatcher> m_dispatcher;
  Download::CDownloadNotify* m_notify;
  std::atomic<int32_t> m_bInited{0};
  uint32_t uiCustomID;
  std::wstring strFilePath;
  std::vector<std::unique_ptr<TaskState>> m_tasks;
  fund::lock::critical_section m_taskLock;
  uint32_t m_uiCurrentSpeed = 0;
  ScopedHandle m_thread;
  ScopedHandle m_stopEvent;
  ScopedHandle m_doneEvent;
  ScopedHandle m_wakeEvent;
  DWORD m_dwThreadId = 0;
  bool m_bStopSeen = false;
  std::deque<Command> m_queue;
  fund::lock::critical_section m_queueLock;
  std::map<uint32_t, uint32_t> m_taskIds;
  uint32_t m_uiNextTaskId = 0;
  std::atomic<DWORD> m_dwWaitTimeout{INFINITE};
  std::atomic<uint8_t> m_bEngineLost{0};
};
