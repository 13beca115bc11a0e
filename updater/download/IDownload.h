// The download component as its client sees it: the factory, the component's
// operations and the notifications the client receives.
#pragma once

#include <cstdint>
#include <string>

#include "TaskInfo.h"

namespace Download {

// Implemented by the client. Called on the thread that delivers engine
// events, and for completions also on the component's worker thread, always
// with no lock of the component held.
class CDownloadNotify {
 public:
  virtual ~CDownloadNotify() = default;
  virtual void OnTaskInfo(uint32_t uiTaskID, uint32_t uiInfo1, uint32_t uiInfo2) {}
  virtual void OnFileRenamed(uint32_t uiTaskID, const std::wstring& strNewPath) {}
  virtual void OnProgress(uint32_t uiTaskID, uint32_t uiProgress, uint32_t uiProgressInfo) {}
  // uiResult 0 is success.
  virtual void OnDownloadComplete(uint32_t uiTaskID, uint32_t uiResult) {}
  virtual void OnTaskStatus(uint32_t uiTaskID, uint32_t uiStatus) {}
  virtual void OnEngineLost() {}
};

class CIDownload {
 public:
  virtual ~CIDownload() = default;
  // uiTaskID: in, the client's own value (kept as uiUserData); out, the new
  // task's id.
  virtual int CreateTask(const TaskInfo& stTaskInfo, uint32_t& uiTaskID) = 0;
  virtual void DeleteTask(const std::wstring& strUrl) = 0;
  virtual void DeleteTask(uint32_t uiTaskID) = 0;
  virtual int SetDownloadSpeed(uint32_t uiSpeed) = 0;
  virtual int SetP2PUploadSpeed(uint32_t uiSpeed) = 0;
  virtual int SetSafeMode(int32_t bSafeMode) = 0;
  virtual int SetProxy(const ProxyInfo& stProxyInfo) = 0;
  virtual int IsWorking() = 0;
  virtual int GetTaskInfo(const std::wstring& strUrl, TaskState& stTaskState) = 0;
  virtual int GetTaskInfo(uint32_t uiTaskID, TaskState& stTaskState) = 0;
};

}  // namespace Download

// A new download component for the engine files in strFilePath, reporting to
// notify; null when memory is exhausted. The client deletes it when done.
Download::CIDownload* CreateDownloader(uint32_t uiCustomID, const std::wstring& strFilePath,
                                       Download::CDownloadNotify* notify);
