#include "CDownload.h"

#include <cstring>
#include <new>

#include "CDownloadDispatcher.h"
#include "Cp936Text.h"
#include "EngineRecords.h"
#include "log/log_print.h"
#include "owners/failure.h"

using namespace Download;

namespace {

const DWORD kIdleProbeMs = 1500;
const DWORD kWorkerEndMs = 5000;
const DWORD kTerminatedExitCode = 1023;
const size_t kUrlCommandBytes = 8192;
const size_t kUrlCommandChars = 4095;
const size_t kNarrowUrlBytes = 4096;
const size_t kRenamedNameChars = 260;
const uint32_t kResultFailed = 1;
const uint32_t kProgressComplete = 1000;

HANDLE NewEvent() { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }

}  // namespace

Download::CIDownload* CreateDownloader(uint32_t uiCustomID, const std::wstring& strFilePath,
                                       Download::CDownloadNotify* notify) {
  LogSetUp();
  LogPrint(LOG_MODULE_BRIMLIB, L"CreateDownloader. uiCustomID = %d\nstrFilePath = %ls", uiCustomID,
           strFilePath.c_str());
  return new (std::nothrow) CDownload(uiCustomID, strFilePath, notify);
}

// --- Construction and destruction --------------------------------------------

CDownload::CDownload(uint32_t uiCustomID, const std::wstring& strFilePath,
                     Download::CDownloadNotify* notify)
    : m_notify(notify), uiCustomID(uiCustomID), strFilePath(strFilePath) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::CDownload().\nuiCustomID = %d\nstrFilePath = %ls",
           uiCustomID, strFilePath.c_str());
  if (!notify) throw "CDownload: DownloadNotify invalid pointer!";
  Init();
}

CDownload::~CDownload() {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::~CDownload()");
  Uninit();
}

int CDownload::Init() {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::Init()");
  if (m_bInited) return 1;
  m_dwWaitTimeout = kIdleProbeMs;
  if (!m_thread.IsValid()) {
    m_stopEvent.Reset(NewEvent());
    m_doneEvent.Reset(NewEvent());
    m_wakeEvent.Reset(NewEvent());
    if (m_stopEvent.IsValid() && m_doneEvent.IsValid() && m_wakeEvent.IsValid())
      m_thread.Reset(CreateThread(nullptr, 0, &CDownload::WorkerMain, this, 0, &m_dwThreadId));
  }
  Command command;
  command.iKind = kCommandInit;
  Queue(std::move(command));
  return 1;
}

void CDownload::Uninit() {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::Uninit()");
  Command command;
  command.iKind = kCommandUninit;
  Queue(std::move(command));
  if (m_stopEvent.IsValid()) SetEvent(m_stopEvent.Get());
  if (m_wakeEvent.IsValid()) SetEvent(m_wakeEvent.Get());
  if (m_thread.IsValid()) {
    if (WaitForSingleObject(m_doneEvent.Get(), kWorkerEndMs) != WAIT_OBJECT_0) {
      // Only a worker stuck in an engine call gets here. Termination is not
      // immediate: the component's state must outlive the thread.
      TerminateThread(m_thread.Get(), kTerminatedExitCode);
      OutputDebugStringW(L"Uninit::TerminateThread");
      WaitForSingleObject(m_thread.Get(), kWorkerEndMs);
    }
    m_thread.Reset();
  }
  m_wakeEvent.Reset();
  m_stopEvent.Reset();
  m_doneEvent.Reset();
}

// --- Public operations: log and queue ------------------------------------------

void CDownload::Queue(Command command) {
  fund::lock::scoped_lock guard(m_queueLock);
  m_queue.push_back(std::move(command));
  if (m_wakeEvent.IsValid()) SetEvent(m_wakeEvent.Get());
}

bool CDownload::TakeCommand(Command& command) {
  fund::lock::scoped_lock guard(m_queueLock);
  if (m_queue.empty()) return false;
  command = std::move(m_queue.front());
  m_queue.pop_front();
  return true;
}

bool CDownload::QueueEmpty() {
  fund::lock::scoped_lock guard(m_queueLock);
  return m_queue.empty();
}

int CDownload::CreateTask(const TaskInfo& stTaskInfo, uint32_t& uiTaskID) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::CreateTask().\nstrUrl = %ls\nstrFileName = %ls",
           stTaskInfo.strUrl.c_str(), stTaskInfo.strFileName.c_str());
  Command command;
  command.iKind = kCommandCreateTask;
  command.task.reset(new NewTask{stTaskInfo, uiTaskID, 0});
  uint32_t id = 0;
  {
    // Under the task lock, so that clients on several threads never share an id.
    fund::lock::scoped_lock guard(m_taskLock);
    if (m_uiNextTaskId == 0) m_uiNextTaskId = 1;
    id = m_uiNextTaskId++;
    m_taskIds[id] = 0;
  }
  uiTaskID = id;
  command.task->uiTaskID = id;
  Queue(std::move(command));
  return 1;
}

void CDownload::DeleteTask(uint32_t uiTaskID) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::DeleteTask(). uiTaskID = %d", uiTaskID);
  if (uiTaskID == 0) return;
  Command command;
  command.iKind = kCommandDeleteTaskById;
  command.uiValue = uiTaskID;
  Queue(std::move(command));
}

void CDownload::DeleteTask(const std::wstring& strUrl) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::DeleteTask(). strUrl = %ls", strUrl.c_str());
  if (strUrl.empty()) return;
  Command command;
  command.iKind = kCommandDeleteTaskByUrl;
  command.url.reset(new wchar_t[kUrlCommandBytes / sizeof(wchar_t)]());
  size_t length = strUrl.size() < kUrlCommandChars ? strUrl.size() : kUrlCommandChars;
  std::memcpy(command.url.get(), strUrl.data(), length * sizeof(wchar_t));
  Queue(std::move(command));
}

int CDownload::SetDownloadSpeed(uint32_t uiSpeed) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::SetDownloadSpeed(). uiSpeed = %d", uiSpeed);
  Command command;
  command.iKind = kCommandSetDownloadSpeed;
  command.uiValue = uiSpeed;
  Queue(std::move(command));
  return 1;
}

int CDownload::SetP2PUploadSpeed(uint32_t uiSpeed) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::SetP2PUploadSpeed(). uiSpeed = %d", uiSpeed);
  Command command;
  command.iKind = kCommandSetP2PUploadSpeed;
  command.uiValue = uiSpeed;
  Queue(std::move(command));
  return 1;
}

int CDownload::SetSafeMode(int32_t bSafeMode) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::SetSafeMode(). bSafeMode = %d", bSafeMode);
  Command command;
  command.iKind = kCommandSetSafeMode;
  command.uiValue = static_cast<uint32_t>(bSafeMode);
  Queue(std::move(command));
  return 1;
}

int CDownload::SetProxy(const ProxyInfo& stProxyInfo) {
  LogPrint(LOG_MODULE_BRIMLIB,
           L"CDownload::SetProxy().\nstProxyInfo.eProxyType = %d\nstProxyInfo.strProxyIP = "
           L"%ls\nstProxyInfo.usProxyPort = %d",
           stProxyInfo.eProxyType, stProxyInfo.strProxyIP.c_str(), stProxyInfo.usProxyPort);
  Command command;
  command.iKind = kCommandSetProxy;
  command.proxy.reset(new ProxyInfo(stProxyInfo));
  Queue(std::move(command));
  return 1;
}

int CDownload::IsWorking() {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::IsWorking(). m_bInited = %d", m_bInited.load());
  return m_bInited;
}

int CDownload::GetTaskInfo(const std::wstring& strUrl, TaskState& stTaskState) {
  fund::lock::scoped_lock guard(m_taskLock);
  TaskState* task = FindTaskByUrl(strUrl);
  if (!task) return 0;
  stTaskState = *task;
  return 1;
}

int CDownload::GetTaskInfo(uint32_t uiTaskID, TaskState& stTaskState) {
  fund::lock::scoped_lock guard(m_taskLock);
  TaskState* task = FindTaskById(uiTaskID);
  if (!task) return 0;
  stTaskState = *task;
  return 1;
}

// The lookups take the (re-entrant) task lock themselves.
TaskState* CDownload::FindTaskById(uint32_t uiTaskID) {
  fund::lock::scoped_lock guard(m_taskLock);
  for (const auto& task : m_tasks)
    if (task->uiTaskID == uiTaskID) return task.get();
  return nullptr;
}

TaskState* CDownload::FindTaskByUrl(const std::wstring& strUrl) {
  fund::lock::scoped_lock guard(m_taskLock);
  for (const auto& task : m_tasks)
    if (task->strUrl == strUrl) return task.get();
  return nullptr;
}

void CDownload::BindTaskHandle(uint32_t uiTaskID, uint32_t uiTaskHandle) {
  fund::lock::scoped_lock guard(m_taskLock);
  auto found = m_taskIds.find(uiTaskID);
  if (found != m_taskIds.end()) found->second = uiTaskHandle;
}

// --- Worker ------------------------------------------------------------------------

DWORD WINAPI CDownload::WorkerMain(void* parameter) {
  static_cast<CDownload*>(parameter)->WorkerLoop();
  return 0;
}

void CDownload::WorkerLoop() {
  bool bRunning = true;
  for (;;) {
    DWORD wait = WaitForSingleObject(m_wakeEvent.Get(), m_dwWaitTimeout);
    ResetEvent(m_wakeEvent.Get());
    if (wait == WAIT_TIMEOUT && m_dispatcher) IdleProbe();
    Command command;
    while (TakeCommand(command)) {
      // Once the component is being destroyed only the uninit command is
      // carried out: the dispatcher's destruction deletes every task from the
      // engine anyway, and a long queue must not outlast the wait for the
      // worker.
      if (command.iKind == kCommandUninit || !Stopping()) Carry(command, bRunning);
      command = Command();
    }
    if (Stopping() && QueueEmpty()) break;
    if (!bRunning) break;
  }
  ReleaseTasksOnExit();
  SetEvent(m_doneEvent.Get());
}

// The stop event resets itself when a wait sees it, so the worker keeps
// what it saw.
bool CDownload::Stopping() {
  if (!m_bStopSeen) m_bStopSeen = WaitForSingleObject(m_stopEvent.Get(), 0) == WAIT_OBJECT_0;
  return m_bStopSeen;
}

void CDownload::IdleProbe() {
  if (m_dispatcher->InProcessTried()) {
    m_dwWaitTimeout = INFINITE;
    return;
  }
  if (m_dispatcher->SetDownloadSpeed(m_uiCurrentSpeed)) return;
  m_bInited = 0;
  m_dispatcher->Restart(m_bEngineLost);
  m_bInited = m_dispatcher->IsStarted();
}

void CDownload::Carry(Command& command, bool& bRunning) {
  switch (command.iKind) {
    case kCommandInit:
      HandleInit();
      break;
    case kCommandUninit:
      HandleUninit();
      bRunning = false;
      break;
    case kCommandCreateTask:
      if (command.task && !HandleCreateTask(*command.task))
        m_notify->OnDownloadComplete(command.task->uiTaskID, kResultFailed);
      break;
    case kCommandDeleteTaskById:
      HandleDeleteTask(command.uiValue);
      break;
    case kCommandDeleteTaskByUrl:
      if (command.url) HandleDeleteTask(command.url.get());
      break;
    case kCommandSetDownloadSpeed:
      LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::SetDownloadSpeed(). uiSpeed = %d", command.uiValue);
      if (m_dispatcher) {
        m_uiCurrentSpeed = command.uiValue;
        m_dispatcher->SetDownloadSpeed(command.uiValue);
      }
      break;
    case kCommandSetP2PUploadSpeed:
      LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::HandleSetP2PUploadSpeed(). uiSpeed = %d",
               command.uiValue);
      if (m_dispatcher) m_dispatcher->SetP2PUploadSpeed(command.uiValue);
      break;
    case kCommandSetSafeMode:
      LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::HandleSetSafeMode(). bSafeMode = %d",
               command.uiValue);
      if (m_dispatcher) m_dispatcher->SetSafeMode(static_cast<int32_t>(command.uiValue));
      break;
    case kCommandSetProxy:
      // A refused proxy setting leaves the engine's own in force.
      if (command.proxy) HandleSetProxy(*command.proxy);
      break;
    default:
      break;
  }
}

void CDownload::HandleInit() {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::HandleInit()");
  m_dispatcher.reset();
  std::unique_ptr<CDownloadDispatcher> dispatcher(
      new (std::nothrow) CDownloadDispatcher(uiCustomID, this, strFilePath));
  if (!dispatcher || !dispatcher->InApartment()) return;
  m_dispatcher = std::move(dispatcher);
  m_bInited = m_dispatcher->Start();
}

void CDownload::HandleUninit() {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::HandleUninit()");
  m_bInited = 0;
  m_dispatcher.reset();
}

int CDownload::HandleCreateTask(const NewTask& task) {
  const TaskInfo& info = task.info;
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::HandleCreateTask().\nstrUrl = %ls\nstrFileName = %ls",
           info.strUrl.c_str(), info.strFileName.c_str());
  if (!m_bInited) HandleInit();
  if (!m_dispatcher || info.strUrl.empty() || info.strFileName.empty()) return 0;
  {
    fund::lock::scoped_lock guard(m_taskLock);
    TaskState* state = FindTaskByUrl(info.strUrl);
    if (state && !state->bDeleted) return 0;
    if (!state) {
      m_tasks.emplace_back(new TaskState());
      state = m_tasks.back().get();
      state->strUrl = info.strUrl;
    }
    state->uiUserData = task.uiUserData;
    state->uiTaskID = task.uiTaskID;
    state->bDeleted = 0;
    state->strFileName = info.strFileName;
    state->bFinished = 0;
    state->uiProgress = 0;
    state->uiResult = 0;
  }
  EngineTaskRecord record = BuildEngineTaskRecord(info, uiCustomID);
  record.iTaskId = static_cast<int32_t>(task.uiTaskID);
  uint32_t handle = m_dispatcher->AddTask(record, true, 0);
  if (handle) BindTaskHandle(task.uiTaskID, handle);
  return handle ? 1 : 0;
}

void CDownload::HandleDeleteTask(uint32_t uiTaskID) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::HandleDeleteTask(). uiTaskID = %d", uiTaskID);
  if (uiTaskID == 0 || !m_dispatcher) return;
  uint32_t handle = 0;
  {
    fund::lock::scoped_lock guard(m_taskLock);
    auto found = m_taskIds.find(uiTaskID);
    if (found == m_taskIds.end()) return;
    handle = found->second;
    if (TaskState* state = FindTaskById(uiTaskID)) state->bDeleted = 1;
    m_taskIds.erase(found);
  }
  // The engine may already have forgotten the task; the record is gone here.
  if (handle) LOG_IF_FALSE(m_dispatcher->DeleteTask(handle));
}

void CDownload::HandleDeleteTask(const wchar_t* szUrl) {
  LogPrint(LOG_MODULE_BRIMLIB, L"CDownload::HandleDeleteTask(). strUrl = %ls", szUrl);
  std::wstring url(szUrl);
  char narrow[kNarrowUrlBytes] = {};
  CopyTextField(narrow, sizeof(narrow), WideToCp936(url));
  // As above: the local record goes whatever the engine answers.
  if (m_dispatcher) LOG_IF_FALSE(m_dispatcher->DeleteTaskByUrl(narrow));
  fund::lock::scoped_lock guard(m_taskLock);
  if (TaskState* state = FindTaskByUrl(url)) {
    state->bDeleted = 1;
    m_taskIds.erase(state->uiTaskID);
  }
}

int CDownload::HandleSetProxy(const ProxyInfo& stProxyInfo) {
  LogPrint(LOG_MODULE_BRIMLIB,
           L"CDownload::HandleSetProxy().\nstProxyInfo.eProxyType = %d\nstProxyInfo.strProxyIP = "
           L"%ls\nstProxyInfo.usProxyPort = %d",
           stProxyInfo.eProxyType, stProxyInfo.strProxyIP.c_str(), stProxyInfo.usProxyPort);
  if (!m_dispatcher) return 0;
  return m_dispatcher->SetProxy(BuildEngineProxyRecord(stProxyInfo)) ? 1 : 0;
}

void CDownload::ReleaseTasksOnExit() {
  std::vector<std::wstring> live;
  {
    fund::lock::scoped_lock guard(m_taskLock);
    for (const auto& task : m_tasks)
      if (!task->bDeleted) live.push_back(task->strUrl);
  }
  // Only logged and queued: the worker takes no more commands, and the
  // engine's tasks went with the dispatcher.
  for (const std::wstring& url : live) DeleteTask(url);
  fund::lock::scoped_lock guard(m_taskLock);
  m_tasks.clear();
}

// --- Engine events ---------------------------------------------------------------------

// 0 when no live task has the handle: a handle is no task id, and taking it
// for one would hand the event to an unrelated task.
uint32_t CDownload::TaskIdOfHandle(uint32_t uiTaskHandle) {
  fund::lock::scoped_lock guard(m_taskLock);
  for (const auto& entry : m_taskIds)
    if (entry.second == uiTaskHandle && uiTaskHandle != 0) return entry.first;
  return 0;
}

long CDownload::OnNotify(const EnginePayload& payload, int32_t iCode, uint32_t uiTaskHandle) {
  if (!m_bInited && iCode != kEngineEventCompleted) return 0;
  uint32_t uiTaskID = TaskIdOfHandle(uiTaskHandle);
  if (iCode == kEngineEventLost) {
    m_bEngineLost = 1;
    m_notify->OnEngineLost();
    return 0;
  }
  if (payload.IsMissing() || uiTaskID == 0) return 0;
  switch (iCode) {
    case kEngineEventFileRenamed: {
      std::string name;
      if (!ReadTextPayload(payload.data, payload.size, &name)) return 0;
      std::wstring wideName = Cp936ToWide(name).substr(0, kRenamedNameChars);
      std::wstring path;
      {
        fund::lock::scoped_lock guard(m_taskLock);
        TaskState* state = FindTaskById(uiTaskID);
        if (!state) return 0;
        state->strFileName = RenamedPath(state->strFileName, wideName, L'\\');
        path = state->strFileName;
      }
      m_notify->OnFileRenamed(uiTaskID, path);
      return 0;
    }
    case kEngineEventCompleted: {
      Completion completion;
      if (!ReadCompletion(payload, &completion)) return 0;
      {
        fund::lock::scoped_lock guard(m_taskLock);
        TaskState* state = FindTaskById(uiTaskID);
        if (!state) return 0;
        state->bFinished = 1;
        state->uiResult = completion.uiResult;
        if (completion.uiResult == 0) state->uiProgress = kProgressComplete;
      }
      LogPrint(LOG_MODULE_BRIMLIB,
               L"CDownload::OnNotify()->OnDownloadComplete. uiTaskID = %d, uiResult = %d, "
               L"uiErrorCode = %d, uiDetailErrorCode = %d",
               uiTaskID, completion.uiResult, completion.iErrorCode, completion.iDetailCode);
      m_notify->OnDownloadComplete(uiTaskID, completion.uiResult);
      return 0;
    }
    case kEngineEventProgress: {
      ProgressPayload progress;
      if (!ReadProgressPayload(payload.data, payload.size, &progress)) return 0;
      {
        fund::lock::scoped_lock guard(m_taskLock);
        TaskState* state = FindTaskById(uiTaskID);
        if (!state) return 0;
        state->uiProgress = progress.uiThousandths;
        state->uiProgressInfo = progress.uiInfo;
      }
      m_notify->OnProgress(uiTaskID, progress.uiThousandths, progress.uiInfo);
      return 0;
    }
    case kEngineEventTaskInfo: {
      TaskInfoPayload info;
      if (!ReadTaskInfoPayload(payload.data, payload.size, &info)) return 0;
      {
        fund::lock::scoped_lock guard(m_taskLock);
        TaskState* state = FindTaskById(uiTaskID);
        if (!state) return 0;
        state->uiInfo1 = info.uiInfo1;
        state->uiInfo2 = info.uiInfo2;
      }
      m_notify->OnTaskInfo(uiTaskID, info.uiInfo1, info.uiInfo2);
      return 0;
    }
    case kEngineEventStatus: {
      uint32_t uiStatus = 0;
      if (!ReadStatusPayload(payload.data, payload.size, &uiStatus)) return 0;
      {
        fund::lock::scoped_lock guard(m_taskLock);
        TaskState* state = FindTaskById(uiTaskID);
        if (!state) return 0;
        state->uiStatus = uiStatus;
      }
      m_notify->OnTaskStatus(uiTaskID, uiStatus);
      return 0;
    }
    default:
      return 0;
  }
}
