// Records of the download component's client boundary: what a client asks for
// (TaskInfo, ProxyInfo) and what the component keeps per task (TaskState).
#pragma once

#include <cstdint>
#include <string>

struct TaskInfo {
  std::wstring strUrl;
  std::wstring strFileName;
  std::wstring strExtra1;
  std::wstring strExtra2;
  std::wstring strExtra3;
  std::wstring strExtra4;
  int32_t iOption = 0;
  uint64_t ullFileSize = 0;
  int32_t bSmallFile = 0;
  int32_t bOption1 = 1;
  int32_t bOption2 = 0;
  int32_t bOption3 = 1;
  uint32_t uiOption1 = 0;
  uint32_t uiOption2 = 0;
  uint32_t uiOption3 = 0;
  uint32_t uiOption4 = 0;
  uint32_t uiOption5 = 0;
  uint8_t byTaskFlags = 0;
};

struct TaskState {
  uint32_t uiUserData = 0;
  uint32_t uiTaskID = 0;
  uint32_t uiInfo1 = 0;
  uint32_t uiInfo2 = 0;
  std::wstring strUrl;
  std::wstring strFileName;
  int32_t bFinished = 0;
  uint32_t uiResult = 0;
  uint32_t uiProgress = 0;
  uint32_t uiProgressInfo = 0;
  uint32_t uiStatus = 0;
  int32_t bDeleted = 0;
};

struct ProxyInfo {
  int32_t eProxyType = 0;
  std::wstring strProxyIP;
  uint16_t usProxyPort = 0;
  std::wstring strProxyExtra1;
  std::wstring strProxyExtra2;
  std::wstring strProxyExtra3;
};
