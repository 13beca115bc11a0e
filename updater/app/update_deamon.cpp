#include "app/update_deamon.h"

#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/file_md5.h"
#include "app/http_fetch.h"
#include "app/tips_dlg.h"
#include "app/update_settings.h"
#include "app/url_check.h"
#include "log/log_print.h"
#include "owners/failure.h"

namespace {

constexpr wchar_t kInstanceMutex[] = L"ZumiPictavoEx_UpdateDeamon";
constexpr wchar_t kControlMutex[] = L"ZumiPictavoEx";
constexpr wchar_t kTargetName[] = L"ZumiPhotoUpload.exe";

constexpr int kReadyTries = 5;
constexpr DWORD kReadyWaitMs = 2000;
constexpr DWORD kCompletionPollMs = 1000;
constexpr size_t kTaskUrlChars = 4095;
constexpr size_t kTaskFileChars = 260;
constexpr int32_t kSystemProxyType = 5;
constexpr uint8_t kTaskFlags = 0x80;

bool MutexExists(const wchar_t* szName) {
  ScopedHandle mutex(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, szName));
  return mutex.IsValid();
}

std::string ToAnsi(const std::wstring& strText) {
  if (strText.empty()) return std::string();
  int nBytes = WideCharToMultiByte(CP_ACP, 0, strText.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (nBytes <= 0) return std::string();
  std::string strAnsi(static_cast<size_t>(nBytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, strText.c_str(), -1, &strAnsi[0], nBytes, nullptr, nullptr);
  strAnsi.resize(static_cast<size_t>(nBytes) - 1);
  return strAnsi;
}

bool FileExists(const std::wstring& strPath) {
  DWORD attributes = GetFileAttributesW(strPath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole body into the file, created or truncated; false when any part
// could not be written.
bool WriteWholeFile(const std::wstring& strPath, const std::string& strBody) {
  FILE* pFile = _wfopen(strPath.c_str(), L"wb");
  if (!pFile) return false;
  bool bWritten =
      strBody.empty() || fwrite(strBody.data(), 1, strBody.size(), pFile) == strBody.size();
  bool bClosed = fclose(pFile) == 0;
  return bWritten && bClosed;
}

[[noreturn]] void EndAsSecondInstance() { ExitProcess(static_cast<UINT>(UPDATE_OTHER_INSTANCE)); }

}  // namespace

uint32_t UpdateDeamon::s_uiEngineSilenceMs = UpdateDeamon::kEngineSilenceMs;

UpdateDeamon::UpdateDeamon(const std::wstring& strUrl, const std::wstring& strDigest,
                           const std::wstring& strTipText, bool bForce)
    : m_strUrl(strUrl), m_strDigest(strDigest), m_strTipText(strTipText), m_bForce(bForce) {
  if (MutexExists(kInstanceMutex)) EndAsSecondInstance();
  m_hMutex.Reset(CreateMutexW(nullptr, TRUE, kInstanceMutex));
  // A mutex that already existed was made by an instance started at the same
  // moment; it is not owned by this one.
  if (!m_hMutex.IsValid() || GetLastError() == ERROR_ALREADY_EXISTS) EndAsSecondInstance();
}

UpdateDeamon::~UpdateDeamon() {
  if (m_hMutex.IsValid()) ReleaseMutex(m_hMutex.Get());
}

int UpdateDeamon::DoUpdate() {
  if (!IsVendorUrl(m_strUrl)) return UPDATE_BAD_PARAMS;
  int nResult = MakeTargetPath();
  if (nResult != UPDATE_OK) return nResult;
  nResult = DownloadTarget();
  if (nResult != UPDATE_OK) return nResult;
  nResult = VerifyTarget();
  if (nResult != UPDATE_OK) return nResult;
  nResult = WaitForControl();
  if (nResult != UPDATE_OK) return nResult;
  if (IsVistaOrLater() && !AskUser()) return UPDATE_OK;
  return LaunchTarget();
}

bool UpdateDeamon::AskUser() {
  if (m_bForce) {
    CTipsDlg dialog(1);
    dialog.SetText(m_strTipText);
    // A forced update is started whichever button closed the dialog.
    dialog.DoModal();
    return true;
  }
  CTipsDlg dialog(0);
  dialog.SetText(m_strTipText);
  const INT_PTR nButton = dialog.DoModal();
  if (nButton == IDOK) return true;
  // Not storing the choice only means the user is asked again next time.
  if (dialog.m_bNoRemind) WriteIgnoreMd5Value(m_strDigest);
  return false;
}

bool UpdateDeamon::IsVistaOrLater() {
  OSVERSIONINFOEXW versionEx = {};
  versionEx.dwOSVersionInfoSize = sizeof(versionEx);
  OSVERSIONINFOW& version = reinterpret_cast<OSVERSIONINFOW&>(versionEx);
  if (!GetVersionExW(&version)) {
    version = OSVERSIONINFOW{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!GetVersionExW(&version)) return false;
  }
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
}

int UpdateDeamon::MakeTargetPath() {
  wchar_t szTemp[MAX_PATH] = {};
  // A directory too long for the buffer comes back as the length it needs.
  DWORD nChars = GetTempPathW(MAX_PATH, szTemp);
  if (nChars == 0 || nChars >= MAX_PATH) return UPDATE_NO_TEMP_DIR;
  m_strTargetPath = std::wstring(szTemp, nChars) + kTargetName;
  return UPDATE_OK;
}

int UpdateDeamon::DownloadTarget() {
  if (FileExists(m_strTargetPath) && !DeleteFileW(m_strTargetPath.c_str()))
    return UPDATE_DOWNLOAD_FAILED;
  if (DownloadByEngine()) return UPDATE_OK;
  if (DownloadByHttp() == CHttpFetch::FETCH_OK) return UPDATE_OK;
  return UPDATE_DOWNLOAD_FAILED;
}

bool UpdateDeamon::WaitForEngineReady() {
  for (int i = 0; i < kReadyTries; ++i) {
    if (m_pDownload && m_pDownload->IsWorking()) return true;
    Sleep(kReadyWaitMs);
  }
  return m_pDownload && m_pDownload->IsWorking();
}

bool UpdateDeamon::IsEngineSilent() const {
  // Unsigned, so the tick count's wrap after 49 days does not matter.
  const uint32_t uiSilentMs = GetTickCount() - m_uiLastReportTick.load(std::memory_order_acquire);
  return uiSilentMs >= s_uiEngineSilenceMs;
}

bool UpdateDeamon::WaitForEngineCompletion() {
  for (uint32_t nWaitedMs = 0; nWaitedMs < kEngineWaitMs; nWaitedMs += kCompletionPollMs) {
    if (m_bDone.load(std::memory_order_acquire)) return true;
    if (IsEngineSilent()) {
      LogPrint(LOG_MODULE_MAIN, L"The engine reported nothing for %u s; fetching by HTTP.",
               s_uiEngineSilenceMs / 1000);
      return false;
    }
    Sleep(kCompletionPollMs);
  }
  return m_bDone.load(std::memory_order_acquire) != 0;
}

bool UpdateDeamon::DownloadByEngine() {
  const size_t nSlash = m_strTargetPath.rfind(L'\\');
  const std::wstring strFolder =
      (nSlash == std::wstring::npos ? m_strTargetPath : m_strTargetPath.substr(0, nSlash)) + L'\\';
  m_pDownload.reset(CreateDownloader(m_uiCustomId, strFolder, this));
  if (!WaitForEngineReady()) {
    if (m_pDownload) m_pDownload->DeleteTask(m_strUrl);
    DestroyDownloader();
    return false;
  }
  ProxyInfo stProxyInfo;
  stProxyInfo.eProxyType = kSystemProxyType;
  // The component queues the setting; the engine's answer does not change
  // the flow.
  LOG_IF_FALSE(m_pDownload->SetProxy(stProxyInfo));
  TaskInfo stTaskInfo;
  stTaskInfo.strUrl = m_strUrl.substr(0, kTaskUrlChars);
  stTaskInfo.strFileName = m_strTargetPath.substr(0, kTaskFileChars);
  stTaskInfo.byTaskFlags = kTaskFlags;
  m_bDone.store(0, std::memory_order_relaxed);
  // The silence is counted from the task's creation.
  NoteEngineReport();
  uint32_t uiTaskId = 0;
  // Whether the task could be made is told by the completion notification.
  LOG_IF_FALSE(m_pDownload->CreateTask(stTaskInfo, uiTaskId));
  const bool bCompleted = WaitForEngineCompletion();
  m_pDownload->DeleteTask(m_strUrl);
  DestroyDownloader();
  return bCompleted && m_uiResult == 0;
}

uint32_t UpdateDeamon::DownloadByHttp() {
  CHttpFetch fetch;
  fetch.m_nTimeoutMs = kHttpTimeoutMs;
  fetch.m_bHeader = false;
  std::string strBody;
  uint32_t uiResult = fetch.Get(ToAnsi(m_strUrl), strBody);
  if (uiResult != CHttpFetch::FETCH_OK) return uiResult;
  // A file that cannot be written is a failed download, not a wrong digest.
  return WriteWholeFile(m_strTargetPath, strBody) ? CHttpFetch::FETCH_OK : CHttpFetch::FETCH_FAILED;
}

int UpdateDeamon::VerifyTarget() {
  // Held from before the digest is taken until the installer has started.
  m_hTargetLock.Reset(CreateFileW(m_strTargetPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!m_hTargetLock.IsValid() || !FileMatchesDigest(m_strTargetPath, m_strDigest)) {
    m_hTargetLock.Reset();
    return UPDATE_DIGEST_MISMATCH;
  }
  if (_access(ToAnsi(m_strTargetPath).c_str(), 0) != 0) return UPDATE_TARGET_MISSING;
  return UPDATE_OK;
}

// A wait of up to ten minutes is told in the records, so whoever watches
// the service sees why nothing happens.
int UpdateDeamon::WaitForControl() {
  if (!MutexExists(kControlMutex)) return UPDATE_OK;
  LogPrint(LOG_MODULE_BRIMLIB, L"WaitForControl: the upload control is running, waiting.");
  do {
    Sleep(static_cast<DWORD>(m_nWaitInterval));
    if (--m_nWaitTries <= 0) {
      LogPrint(LOG_MODULE_BRIMLIB, L"WaitForControl: the upload control still runs, giving up.");
      return UPDATE_CONTROL_RUNNING;
    }
  } while (MutexExists(kControlMutex));
  LogPrint(LOG_MODULE_BRIMLIB, L"WaitForControl: the upload control has ended.");
  return UPDATE_OK;
}

int UpdateDeamon::LaunchTarget() {
  HINSTANCE hResult = ShellExecuteW(nullptr, L"open", m_strTargetPath.c_str(), L"", L"", SW_SHOW);
  m_hTargetLock.Reset();
  return reinterpret_cast<INT_PTR>(hResult) > 32 ? UPDATE_OK : UPDATE_LAUNCH_FAILED;
}

void UpdateDeamon::OnDownloadComplete(uint32_t uiTaskID, uint32_t uiResult) {
  m_uiTaskId = uiTaskID;
  m_uiResult = uiResult;
  m_bDone.store(1, std::memory_order_release);
}
