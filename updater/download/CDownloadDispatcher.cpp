#include "CDownloadDispatcher.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwctype>
#include <new>
#include <vector>

#include "CDownload.h"
#include "owners/failure.h"

using Microsoft::WRL::ComPtr;
using namespace Download;

namespace {

const wchar_t kProgId[] = L"DownloadProxy.Downloader.1";
const wchar_t kEngineExe[] = L"Orvanedl.exe";
const wchar_t kCoreLibrary[] = L"brimcore.dll";
const wchar_t kCommonEngineSubfolder[] = L"\\Orvane\\ZumiDownload";
const DWORD kClsctxInprocLocalRemote =
    CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
const DWORD kRegisteredPathBytes = 260;
const size_t kCorePathChars = 259;
const DWORD kInstallerLeastWaitMs = 200;
const DWORD kInstallerLongestWaitMs = 10000;
const DWORD kEventDrainMs = 5000;
const size_t kRestartFailurePayloadSize = 56;

static_assert(kClsctxInprocLocalRemote == 21, "server kinds");

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring TrimQuotes(const std::wstring& text) {
  size_t first = text.find_first_not_of(L'"');
  if (first == std::wstring::npos) return std::wstring();
  size_t last = text.find_last_not_of(L'"');
  return text.substr(first, last - first + 1);
}

bool IsExistingFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ClassIdText(REFCLSID clsid) {
  wchar_t text[40] = {};
  StringFromGUID2(clsid, text, 40);
  return text;
}

std::string UrlOf(const EngineTaskRecord& record) {
  return std::string(record.szUrl, FieldTextLength(record.szUrl, sizeof(record.szUrl)));
}

// The in-process engine hands a text over without its length: it lies
// within the limit of its record field, terminator included.
size_t BoundedTextSize(const void* data, size_t limit) {
  const void* zero = std::memchr(data, 0, limit);
  return zero ? static_cast<const char*>(zero) - static_cast<const char*>(data) + 1 : limit;
}

size_t InProcessPayloadSize(int32_t iCode, const void* data) {
  switch (iCode) {
    case kEngineEventCompleted:
      return kCompletionPayloadSize;
    case kEngineEventProgress:
      return kProgressPayloadSize;
    case kEngineEventTaskInfo:
      return kTaskInfoPayloadSize;
    case kEngineEventFileRenamed:
      return BoundedTextSize(data, kFileNamePayloadLimit);
    case kEngineEventTaskCreated:
      return BoundedTextSize(data, kUrlPayloadLimit);
    default:
      return 0;
  }
}

uint32_t PointerValue(const void* pointer) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

}  // namespace

CDownloadDispatcher::CDownloadDispatcher(uint32_t uiCustomID, CDownload* owner,
                                         const std::wstring& strFilePath)
    : m_uiCustomID(uiCustomID), m_owner(owner) {
  std::wstring folder = strFilePath;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  m_strEngineExe = folder + kEngineExe;
  m_strCoreLibrary = folder + kCoreLibrary;
  m_callbackGate.Open(this);
}

CDownloadDispatcher::~CDownloadDispatcher() {
  std::vector<uint32_t> handles;
  {
    fund::lock::scoped_lock guard(m_storeLock);
    for (const auto& entry : m_taskStore) handles.push_back(entry.first);
  }
  for (uint32_t handle : handles) DeleteTask(handle);
  Stop();
  // Closing the gate waits for in-process events under way; the apartment
  // is left after the members that hold engine references are gone.
  m_callbackGate.Close(kEventDrainMs);
  ReleaseComEngine();
  ReleaseCore();
}

// --- Events -----------------------------------------------------------------

long CDownloadDispatcher::OnEngineEvent(int32_t iCode, int32_t iEngineTaskId, void* pPayload) {
  long result = E_FAIL;
  m_callbackGate.Pass([&](CDownloadDispatcher*) {
    uint32_t value = PointerValue(pPayload);
    EnginePayload payload;
    if (IsEngineValueEvent(iCode) && m_iInProcessResult) {
      payload.data = reinterpret_cast<const uint8_t*>(&value);
      payload.size = sizeof(value);
    } else if (pPayload == reinterpret_cast<void*>(static_cast<intptr_t>(-1))) {
      payload.bNoCode = true;
    } else if (pPayload) {
      payload.data = static_cast<const uint8_t*>(pPayload);
      payload.size = InProcessPayloadSize(iCode, pPayload);
    }
    result = DeliverEvent(iCode, iEngineTaskId, payload);
  });
  return result;
}

long CDownloadDispatcher::OnEngineEventPayload(int32_t iCode, int32_t iEngineTaskId,
                                               const EnginePayload& payload) {
  return DeliverEvent(iCode, iEngineTaskId, payload);
}

long CDownloadDispatcher::DeliverEvent(int32_t iCode, int32_t iEngineTaskId,
                                       const EnginePayload& payload) {
  if (!m_owner) return E_FAIL;
  uint32_t handle = static_cast<uint32_t>(iEngineTaskId);
  if (iCode != kEngineEventTaskCreated) {
    fund::lock::scoped_lock guard(m_storeLock);
    auto found = m_engineIds.find(iEngineTaskId);
    if (found != m_engineIds.end()) handle = found->second;
  }
  if (iCode == kEngineEventFileRenamed) ApplyRename(handle, payload);
  if (iCode == kEngineEventTaskCreated) BindEngineTaskId(iEngineTaskId, payload);
  m_owner->OnNotify(payload, iCode, handle);
  return 0;
}

void CDownloadDispatcher::ApplyRename(uint32_t uiTaskHandle, const EnginePayload& payload) {
  std::string name;
  if (!ReadTextPayload(payload.data, payload.size, &name)) return;
  fund::lock::scoped_lock guard(m_storeLock);
  auto found = m_taskStore.find(uiTaskHandle);
  if (found == m_taskStore.end()) return;
  EngineTaskRecord& record = found->second;
  std::string path(record.szFileName,
                   FieldTextLength(record.szFileName, sizeof(record.szFileName)));
  CopyTextField(record.szFileName, sizeof(record.szFileName), RenamedPath(path, name, '\\'));
}

void CDownloadDispatcher::BindEngineTaskId(int32_t iEngineTaskId, const EnginePayload& payload) {
  std::string url;
  if (!ReadTextPayload(payload.data, payload.size, &url)) return;
  fund::lock::scoped_lock guard(m_storeLock);
  for (auto& entry : m_taskStore) {
    if (UrlOf(entry.second) != url) continue;
    entry.second.iTaskId = iEngineTaskId;
    m_engineIds[iEngineTaskId] = entry.first;
    return;
  }
}

// --- Installation and connection --------------------------------------------

void CDownloadDispatcher::FillCommonEngineFolder() {
  if (!m_strCommonEngineFolder.empty()) return;
  wchar_t folder[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, 0, folder)))
    m_strCommonEngineFolder = Lower(std::wstring(folder) + kCommonEngineSubfolder);
}

// The registered server path, quotes cut, in lower case.
bool CDownloadDispatcher::ReadRegisteredServer(std::wstring& strPath) {
  if (FAILED(CLSIDFromProgID(kProgId, &m_classId))) return false;
  std::wstring key = L"CLSID\\" + ClassIdText(m_classId) + L"\\LocalServer32";
  wchar_t value[kRegisteredPathBytes / sizeof(wchar_t) + 1] = {};
  DWORD size = kRegisteredPathBytes;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return false;
  strPath = Lower(TrimQuotes(value));
  return true;
}

bool CDownloadDispatcher::IsOwnServerRegistered() {
  std::wstring registered;
  if (!ReadRegisteredServer(registered)) return false;
  FillCommonEngineFolder();
  if (m_strOwnExe.empty()) m_strOwnExe = Lower(m_strEngineExe);
  return (!m_strCommonEngineFolder.empty() &&
          registered.find(m_strCommonEngineFolder) != std::wstring::npos) ||
         registered == m_strOwnExe;
}

bool CDownloadDispatcher::EnsureEngineInstalled() {
  m_strOwnExe = Lower(m_strEngineExe);
  if (m_strOwnExe.empty() || !IsExistingFile(m_strEngineExe)) return false;
  FillCommonEngineFolder();
  if (!m_strCommonEngineFolder.empty()) {
    std::wstring registered;
    bool accepted = ReadRegisteredServer(registered) && !registered.empty() &&
                    IsExistingFile(registered) &&
                    (registered.find(m_strCommonEngineFolder) != std::wstring::npos ||
                     registered == m_strOwnExe);
    if (accepted) return true;
  }
  // The engine registers itself when started so. Its registration is awaited
  // (within a bound), so that the connection attempt right after finds it.
  SHELLEXECUTEINFOW execute = {sizeof(execute)};
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  execute.lpFile = m_strEngineExe.c_str();
  execute.lpParameters = L" -install";
  execute.nShow = SW_HIDE;
  // A failed start shows in the registration check that follows.
  ShellExecuteExW(&execute);
  ScopedHandle installer(execute.hProcess);
  Sleep(kInstallerLeastWaitMs);
  if (installer.IsValid()) WaitForSingleObject(installer.Get(), kInstallerLongestWaitMs);
  return true;
}

CDownloadDispatcher::ComConnect CDownloadDispatcher::ConnectCom() {
  if (FAILED(CLSIDFromProgID(kProgId, &m_classId))) return ComConnect::kNoObject;
  ComPtr<IDownloader> engine;
  if (FAILED(CoCreateInstance(m_classId, nullptr, kClsctxInprocLocalRemote, IID_IDownloader,
                              reinterpret_cast<void**>(engine.GetAddressOf()))) ||
      !engine)
    return ComConnect::kNoObject;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(engine.As(&container)) || !container) return ComConnect::kFailed;
  ComPtr<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(DIID__IDownloaderEvents, &point)) || !point)
    return ComConnect::kFailed;
  container.Reset();
  ComPtr<CDownloadSink> sink(new (std::nothrow) CDownloadSink());
  if (!sink) return ComConnect::kFailed;
  DWORD cookie = 0;
  ComPtr<IUnknown> sinkUnknown;
  if (FAILED(sink.As(&sinkUnknown)) || FAILED(point->Advise(sinkUnknown.Get(), &cookie)))
    return ComConnect::kFailed;
  sink->SetOwner(this);
  m_engine = engine;
  m_connectionPoint = point;
  m_sink = sink;
  m_dwAdviseCookie = cookie;

  ClientRegistration registration = BuildClientRegistration(GetCurrentProcessId(), m_uiCustomID);
  m_dwEngineThreadId = GetCurrentThreadId();
  // The engine refusing the registration still leaves it usable.
  SendRecord(&IDownloader::RegisterClient, registration);
  if (FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDownloader, m_engine.Get(),
                                                   m_engineStream.ReleaseAndGetAddressOf())))
    m_engineStream.Reset();
  return ComConnect::kConnected;
}

int CDownloadDispatcher::Start() {
  if (m_bStarted) return 1;
  DisposeEngineStream();
  // Whether an installation was started shows in the registration check.
  EnsureEngineInstalled();
  if (IsOwnServerRegistered()) {
    switch (ConnectCom()) {
      case ComConnect::kConnected:
        m_bStarted = 1;
        return 1;
      case ComConnect::kFailed:
        ReleaseComEngine();
        return 0;
      case ComConnect::kNoObject:
        break;
    }
  }
  m_iInProcessResult = StartInProcess();
  if (m_iInProcessResult != 1) return 0;
  m_bStarted = 1;
  return 1;
}

void CDownloadDispatcher::DisposeEngineStream() {
  if (!m_engineStream) return;
  // The marshalled reference goes with the stream.
  LARGE_INTEGER start = {};
  if (SUCCEEDED(m_engineStream->Seek(start, STREAM_SEEK_SET, nullptr)))
    CoReleaseMarshalData(m_engineStream.Get());
  m_engineStream.Reset();
}

void CDownloadDispatcher::ReleaseSink() {
  if (m_sink) m_sink->DetachOwner(kEventDrainMs);
  // A lost engine fails the unadvise; its references are released anyway.
  if (m_connectionPoint && m_dwAdviseCookie) m_connectionPoint->Unadvise(m_dwAdviseCookie);
  m_dwAdviseCookie = 0;
  m_connectionPoint.Reset();
  m_sink.Reset();
}

void CDownloadDispatcher::ReleaseComEngine() {
  ReleaseSink();
  DisposeEngineStream();
  m_engine.Reset();
}

void CDownloadDispatcher::CloseComEngine() {
  ReleaseSink();
  DisposeEngineStream();
  // Closing a lost engine fails; it is released either way.
  LOG_IF_FAILED(CallEngine([](IDownloader* engine) { return engine->Close(); }));
  ReleaseComEngine();
}

// --- In process -----------------------------------------------------------------

bool CDownloadDispatcher::LoadCore() {
  std::wstring path = m_strCoreLibrary.substr(0, kCorePathChars);
  m_coreLibrary.Reset(CoLoadLibrary(&path[0], FALSE));
  if (!m_coreLibrary.IsValid()) return false;
  typedef HRESULT(STDAPICALLTYPE * GetClassObject)(REFCLSID, REFIID, void**);
  GetClassObject getClassObject = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(m_coreLibrary.Get(), "DllGetClassObject")));
  if (!getClassObject) return false;
  ComPtr<IClassFactory> factory;
  if (FAILED(getClassObject(CLSID_DownloadCore, IID_IClassFactory,
                            reinterpret_cast<void**>(factory.GetAddressOf()))) ||
      !factory)
    return false;
  return SUCCEEDED(factory->CreateInstance(nullptr, IID_IDownloadCore,
                                           reinterpret_cast<void**>(m_core.GetAddressOf()))) &&
         m_core;
}

int CDownloadDispatcher::StartInProcess() {
  m_bInProcessTried = 1;
  if (m_core) return 1;
  InProcessSettings settings = BuildInProcessSettings();
  InProcessConfig config = BuildInProcessConfig();
  int result = 0;
  if (LoadCore()) {
    srand(static_cast<unsigned>(time(nullptr)));
    uint32_t callback = PointerValue(static_cast<DownloadProxy::DlCallBack*>(this));
    int iRandom1 = rand();
    int iRandom2 = rand();
    CompleteInProcessConfig(config, iRandom1, iRandom2, callback, m_uiCustomID);
    // The engine reports a refused configuration again at registration.
    m_core->Initialize(reinterpret_cast<const BYTE*>(&config));
    CallbackRegistration registration = BuildCallbackRegistration(callback, m_uiCustomID);
    if (SUCCEEDED(m_core->RegisterCallback(reinterpret_cast<const BYTE*>(&registration)))) {
      // Settings the engine refuses leave its defaults in force.
      m_core->ApplySettings(reinterpret_cast<const BYTE*>(&settings), sizeof(settings));
      result = 1;
    }
  }
  if (!result) ReleaseCore();
  if (m_engine) CloseComEngine();
  return result;
}

void CDownloadDispatcher::ReleaseCore() {
  if (m_core) {
    m_core->Close();
    m_core.Reset();
  }
  if (!m_coreLibrary.IsValid()) return;
  typedef void(STDAPICALLTYPE * ReleaseCommLib)();
  ReleaseCommLib release = reinterpret_cast<ReleaseCommLib>(
      reinterpret_cast<void*>(GetProcAddress(m_coreLibrary.Get(), "ReleaseCommLib")));
  if (release) release();
  m_coreLibrary.Reset();
}

// --- Calls on the COM engine ------------------------------------------------------

template <typename Call>
HRESULT CDownloadDispatcher::CallEngine(Call call) {
  if (!m_engine) return E_FAIL;
  if (GetCurrentThreadId() == m_dwEngineThreadId) return call(m_engine.Get());
  ScopedComInitialize apartment(COINIT_MULTITHREADED);
  IStream* stream = m_engineStream.Detach();
  if (!stream) return E_FAIL;
  ComPtr<IDownloader> engine;
  HRESULT hr = CoGetInterfaceAndReleaseStream(stream, IID_IDownloader,
                                              reinterpret_cast<void**>(engine.GetAddressOf()));
  if (FAILED(hr)) return hr;
  hr = call(engine.Get());
  if (FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDownloader, engine.Get(),
                                                   m_engineStream.GetAddressOf())))
    m_engineStream.Reset();
  return hr;
}

HRESULT CDownloadDispatcher::SendBytes(HRESULT (STDMETHODCALLTYPE IDownloader::*method)(BSTR*),
                                       const void* data, size_t size) {
  return CallEngine([&](IDownloader* engine) {
    ScopedBstr bytes(
        SysAllocStringByteLen(static_cast<const char*>(data), static_cast<UINT>(size)));
    if (!bytes.Get()) return E_OUTOFMEMORY;
    BSTR value = bytes.Get();
    return (engine->*method)(&value);
  });
}

template <typename Record>
HRESULT CDownloadDispatcher::SendRecord(HRESULT (STDMETHODCALLTYPE IDownloader::*method)(BSTR*),
                                        const Record& record) {
  return SendBytes(method, &record, sizeof(record));
}

// --- Tasks ------------------------------------------------------------------------

uint32_t CDownloadDispatcher::AddTask(const EngineTaskRecord& taskRecord, bool bNewTask,
                                      uint32_t uiPreviousHandle) {
  EngineTaskRecord record = taskRecord;
  uint32_t uiTaskID = static_cast<uint32_t>(record.iTaskId);
  std::string url = UrlOf(record);
  uint32_t handle = uiPreviousHandle;
  if (bNewTask) {
    fund::lock::scoped_lock guard(m_storeLock);
    for (const auto& entry : m_taskStore)
      if (std::memcmp(entry.second.szUrl, record.szUrl, sizeof(record.szUrl)) == 0) return 0;
    record.iTaskId = 0;
    if (m_uiNextTaskHandle == 0) m_uiNextTaskHandle = 1;
    handle = m_uiNextTaskHandle++;
    m_taskStore[handle] = record;
  }
  record.iTaskId = 0;
  // Events of the new task may arrive before the engine's create call
  // returns: the component knows its handle from the start.
  if (bNewTask) m_owner->BindTaskHandle(uiTaskID, handle);

  HRESULT hr = E_FAIL;
  int32_t iEngineTaskId = 0;
  if (m_engine) {
    hr = SendRecord(&IDownloader::CreateTask, record);
  } else if (m_core) {
    record.uiCallback = PointerValue(static_cast<DownloadProxy::DlCallBack*>(this));
    LONG engineId = 0;
    hr = m_core->CreateTask(reinterpret_cast<const BYTE*>(&record), &engineId);
    if (SUCCEEDED(hr)) {
      iEngineTaskId = engineId;
      {
        fund::lock::scoped_lock guard(m_storeLock);
        m_engineIds[iEngineTaskId] = handle;
      }
      hr = m_core->TaskRegistered(url.c_str(), iEngineTaskId);
      fund::lock::scoped_lock guard(m_storeLock);
      m_urlIds[url] = iEngineTaskId;
    }
  }
  if (SUCCEEDED(hr)) return handle;
  {
    fund::lock::scoped_lock guard(m_storeLock);
    m_engineIds.erase(iEngineTaskId);
    m_taskStore.erase(handle);
  }
  if (bNewTask) m_owner->BindTaskHandle(uiTaskID, 0);
  return 0;
}

HRESULT CDownloadDispatcher::DeleteFromEngine(const std::string& strUrl) {
  if (m_engine) return SendBytes(&IDownloader::DeleteTask, strUrl.data(), strUrl.size());
  if (!m_core) return E_FAIL;
  int32_t iEngineTaskId = 0;
  {
    fund::lock::scoped_lock guard(m_storeLock);
    auto found = m_urlIds.find(strUrl);
    if (found != m_urlIds.end()) {
      iEngineTaskId = found->second;
      m_urlIds.erase(found);
    }
  }
  return m_core->DeleteTask(strUrl.c_str(), 1, iEngineTaskId);
}

void CDownloadDispatcher::ForgetStoredTask(uint32_t uiTaskHandle) {
  auto found = m_taskStore.find(uiTaskHandle);
  if (found == m_taskStore.end()) return;
  m_engineIds.erase(found->second.iTaskId);
  m_taskStore.erase(found);
}

bool CDownloadDispatcher::DeleteTask(uint32_t uiTaskHandle) {
  std::string url;
  bool found = false;
  {
    fund::lock::scoped_lock guard(m_storeLock);
    auto stored = m_taskStore.find(uiTaskHandle);
    if (stored != m_taskStore.end()) {
      found = true;
      url = UrlOf(stored->second);
      ForgetStoredTask(uiTaskHandle);
    }
  }
  if (!found) return true;
  return SUCCEEDED(DeleteFromEngine(url));
}

bool CDownloadDispatcher::DeleteTaskByUrl(const char* szUrl) {
  std::string url = szUrl ? szUrl : "";
  HRESULT hr = DeleteFromEngine(url);
  fund::lock::scoped_lock guard(m_storeLock);
  for (const auto& entry : m_taskStore) {
    if (UrlOf(entry.second) == url) {
      ForgetStoredTask(entry.first);
      break;
    }
  }
  return SUCCEEDED(hr);
}

// --- Settings ---------------------------------------------------------------------

bool CDownloadDispatcher::SetDownloadSpeed(uint32_t uiSpeed) {
  if (m_engine) {
    HRESULT hr = CallEngine([&](IDownloader* engine) { return engine->SetDownloadSpeed(uiSpeed); });
    if (SUCCEEDED(hr)) m_uiSavedSpeed = uiSpeed;
    return SUCCEEDED(hr);
  }
  return m_core && SUCCEEDED(m_core->SetDownloadSpeed(uiSpeed));
}

bool CDownloadDispatcher::SetP2PUploadSpeed(uint32_t uiSpeed) {
  if (m_engine) {
    HRESULT hr = CallEngine([&](IDownloader* engine) { return engine->SetUploadSpeed(uiSpeed); });
    if (SUCCEEDED(hr)) m_uiSavedUploadSpeed = uiSpeed;
    return SUCCEEDED(hr);
  }
  return m_core && SUCCEEDED(m_core->SetUploadSpeed(0, uiSpeed));
}

bool CDownloadDispatcher::SetSafeMode(int32_t bSafeMode) {
  if (m_engine) {
    HRESULT hr = CallEngine([&](IDownloader* engine) { return engine->SetSafeMode(bSafeMode); });
    if (SUCCEEDED(hr)) {
      m_bSafeModeSaved = 1;
      m_iSavedSafeMode = bSafeMode;
    }
    return SUCCEEDED(hr);
  }
  return m_core && SUCCEEDED(m_core->SetSafeMode(static_cast<BYTE>(bSafeMode & 0xFF)));
}

bool CDownloadDispatcher::SetProxy(const EngineProxyRecord& record) {
  if (m_engine) {
    HRESULT hr = SendRecord(&IDownloader::SetProxy, record);
    if (SUCCEEDED(hr)) {
      m_bProxySaved = 1;
      m_savedProxy = record;
    }
    return SUCCEEDED(hr);
  }
  return m_core && SUCCEEDED(m_core->SetProxy(reinterpret_cast<const BYTE*>(&record)));
}

// --- Stop and restart ---------------------------------------------------------------

void CDownloadDispatcher::Stop() {
  if (!m_bStarted) return;
  m_bStarted = 0;
  if (m_engine) {
    CloseComEngine();
  } else {
    ReleaseCore();
  }
}

int CDownloadDispatcher::Restart(uint8_t bEngineLost) {
  if (m_iInProcessResult) return 0;
  Stop();
  if (!bEngineLost && m_uiRestartCount <= 1) {
    ++m_uiRestartCount;
    Start();
  } else {
    m_iInProcessResult = m_bStarted = StartInProcess();
  }
  // Settings the new engine refuses stay saved for the next connection.
  SetDownloadSpeed(m_uiSavedSpeed);
  SetP2PUploadSpeed(m_uiSavedUploadSpeed);
  if (m_bProxySaved) SetProxy(m_savedProxy);
  if (m_bSafeModeSaved) SetSafeMode(m_iSavedSafeMode);

  OutputDebugStringW(L"ReloadDownloadtask_begin");
  std::map<uint32_t, EngineTaskRecord> tasks;
  {
    fund::lock::scoped_lock guard(m_storeLock);
    tasks = m_taskStore;
    m_engineIds.clear();
  }
  for (const auto& entry : tasks) {
    if (AddTask(entry.second, false, entry.first)) continue;
    uint8_t failed[kRestartFailurePayloadSize] = {};
    const int32_t iNoResult = -1;
    std::memcpy(failed, &iNoResult, sizeof(iNoResult));
    EnginePayload payload;
    payload.data = failed;
    payload.size = sizeof(failed);
    m_owner->OnNotify(payload, kEngineEventCompleted, entry.first);
  }
  OutputDebugStringW(L"ReloadDownloadtask_end");
  return 1;
}
