// Orvanedl.exe driven the way the update service drives it: from another
// process, in the multithreaded apartment, by ProgID, with an event sink.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "DownloadEngine.h"
#include "EngineRecords.h"
#include "com_util.h"
#include "engine_faults.h"
#include "engine_test_support.h"
#include "test_paths.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace enginefixture;
using namespace enginetest;

const DWORD kClsctxInprocLocalRemote = 21;

struct Event {
  int32_t iCode;
  int32_t iTaskId;
  int32_t iReferenced;  // the 32-bit value the payload reference points to
  bool bHasBytes;
  std::string bytes;

  int32_t Value(size_t index) const {
    int32_t value = 0;
    if (bytes.size() >= (index + 1) * 4) std::memcpy(&value, bytes.data() + index * 4, 4);
    return value;
  }
};

// Receives the engine's events as the update service's sink does: dispatch
// member 1 with three arguments. Besides its event interface and IUnknown it
// answers IDispatch: Wine's stub for a dispatch interface asks the sink for
// IDispatch when the engine queries it across processes, and fails the
// connection otherwise.
class EventSink final : public _IDownloaderEvents {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == DIID__IDownloaderEvents || riid == IID_IDispatch) {
      *ppv = static_cast<_IDownloaderEvents*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
  ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&m_refs); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id != 1 || !params || params->cArgs != 3) return S_OK;
    Event event{params->rgvarg[2].lVal, params->rgvarg[1].lVal, 0, false, std::string()};
    const VARIANT& payload = params->rgvarg[0];
    if (payload.byref) std::memcpy(&event.iReferenced, payload.byref, 4);
    if (payload.vt == (VT_BSTR | VT_BYREF) && payload.pbstrVal) {
      event.bHasBytes = true;
      event.bytes = BstrBytes(*payload.pbstrVal);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_events.push_back(event);
    m_changed.notify_all();
    return S_OK;
  }

  // Waits for count events of the code; false after the time-out.
  bool WaitFor(int32_t iCode, int seconds, size_t count = 1) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::seconds(seconds),
                              [&] { return Count(iCode) >= count; });
  }
  std::vector<Event> Events() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_events;
  }

 private:
  size_t Count(int32_t iCode) const {
    size_t count = 0;
    for (const Event& event : m_events)
      if (event.iCode == iCode) ++count;
    return count;
  }

  LONG m_refs = 1;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<Event> m_events;
};

const Event* Find(const std::vector<Event>& events, int32_t iCode) {
  for (const Event& event : events)
    if (event.iCode == iCode) return &event;
  return nullptr;
}

template <typename T>
HRESULT Send(IDownloader* engine, HRESULT (STDMETHODCALLTYPE IDownloader::*method)(BSTR*),
             const T& record) {
  ScopedBstr bytes(std::string(reinterpret_cast<const char*>(&record), sizeof(record)));
  return (engine->*method)(bytes.Address());
}

HRESULT SendText(IDownloader* engine, HRESULT (STDMETHODCALLTYPE IDownloader::*method)(BSTR*),
                 const std::string& text) {
  ScopedBstr bytes(text);
  return (engine->*method)(bytes.Address());
}

Download::ClientRegistration RegistrationFor(uint32_t uiFault) {
  return Download::BuildClientRegistration(GetCurrentProcessId(), CustomIdForFault(uiFault));
}

// One connection to the engine: object, advised sink, registration.
struct Connection {
  ComPtr<IDownloader> engine;
  ComPtr<IConnectionPoint> point;
  EventSink sink;
  DWORD cookie = 0;

  void Open(uint32_t uiFault) {
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"DownloadProxy.Downloader.1", &clsid));
    ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, kClsctxInprocLocalRemote, IID_IDownloader,
                                     reinterpret_cast<void**>(engine.GetAddressOf())));
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, engine.As(&container));
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID__IDownloaderEvents, &point));
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    ASSERT_EQ(S_OK, Send(engine.Get(), &IDownloader::RegisterClient, RegistrationFor(uiFault)));
  }
  void Close() {
    if (point && cookie) point->Unadvise(cookie);
    if (engine) engine->Close();
    point.Reset();
    engine.Reset();
  }
};

Download::EngineTaskRecord TaskFor(const std::string& url, const std::wstring& file) {
  TaskInfo task;
  task.strUrl = std::wstring(url.begin(), url.end());
  task.strFileName = file;
  task.byTaskFlags = 0x80;
  return Download::BuildEngineTaskRecord(task, 0);
}

std::string WithoutTrailingZeros(std::string bytes) {
  while (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
  return bytes;
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

class EngineServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::wstring command = L"\"" + testsupport::BinaryPath(L"Orvanedl.exe") + L"\" -install";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
      WaitForSingleObject(process.hProcess, 30000);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  void SetUp() override {
    ASSERT_FALSE(BaseUrl().empty()) << "run through loopback_http.py";
    DeleteReport("orvanedl");
  }
  void TearDown() override { DeleteReport("orvanedl"); }

  ScopedComInit m_com{COINIT_MULTITHREADED};
};

TEST_F(EngineServerTest, DownloadsATaskAndReportsItThroughEvents) {
  Connection connection;
  ASSERT_NO_FATAL_FAILURE(connection.Open(kFaultNone));
  IDownloader* engine = connection.engine.Get();
  ProxyInfo proxy;
  proxy.eProxyType = 5;
  EXPECT_EQ(S_OK, Send(engine, &IDownloader::SetProxy, Download::BuildEngineProxyRecord(proxy)));
  EXPECT_EQ(S_OK, engine->SetDownloadSpeed(300));
  EXPECT_EQ(S_OK, engine->SetUploadSpeed(20));
  EXPECT_EQ(S_OK, engine->SetSafeMode(1));

  const size_t size = 300001;  // odd, larger than one read
  std::string url = BaseUrl() + "/file/" + std::to_string(size);
  std::wstring file = TempFile(L"download.bin");
  DeleteFileW(file.c_str());
  ASSERT_EQ(S_OK, Send(engine, &IDownloader::CreateTask, TaskFor(url, file)));
  ASSERT_TRUE(connection.sink.WaitFor(kEventCompleted, 30));
  EXPECT_EQ(S_OK, SendText(engine, &IDownloader::DeleteTask, url));

  std::vector<Event> events = connection.sink.Events();
  const Event* created = Find(events, kEventCreated);
  ASSERT_TRUE(created);
  EXPECT_TRUE(created->bHasBytes);
  EXPECT_EQ(url, WithoutTrailingZeros(created->bytes));
  EXPECT_GT(created->bytes.size(), url.size()) << "the URL arrives zero-terminated";
  EXPECT_EQ(kEventCreated, events.front().iCode) << "the task is announced first";
  const Event& last = events.back();
  EXPECT_EQ(kEventCompleted, last.iCode);
  EXPECT_EQ(0, last.Value(0));
  EXPECT_EQ(0, last.Value(1));
  const Event* progress = nullptr;
  for (const Event& event : events) {
    EXPECT_EQ(created->iTaskId, event.iTaskId);
    if (event.iCode == kEventProgress) progress = &event;
  }
  ASSERT_TRUE(progress);
  EXPECT_EQ(1000, progress->Value(3)) << "the last progress is complete";
  EXPECT_EQ(static_cast<int32_t>(size), progress->Value(1));
  ASSERT_TRUE(Find(events, kEventTaskInfo));
  EXPECT_EQ(static_cast<int32_t>(size), Find(events, kEventTaskInfo)->Value(0));
  EXPECT_TRUE(ServedPattern(size) == ReadWholeFile(file)) << "the file equals the served file";
  connection.Close();

  std::string report = ReadReport("orvanedl");
  std::string registration = "register pid=" + std::to_string(GetCurrentProcessId()) +
                             " custom=" + std::to_string(CustomIdForFault(kFaultNone));
  EXPECT_NE(std::string::npos, report.find(registration)) << report;
  EXPECT_NE(std::string::npos, report.find("url=" + url + " file=" + Narrow(file) + " flags=128"));
  EXPECT_NE(std::string::npos, report.find("proxy type=5 ip= port=0"));
  EXPECT_NE(std::string::npos, report.find("speed=300"));
  EXPECT_NE(std::string::npos, report.find("upload-speed=20"));
  EXPECT_NE(std::string::npos, report.find("safe-mode=1"));
  EXPECT_NE(std::string::npos, report.find("delete url=" + url));
  EXPECT_EQ(std::string::npos, report.find("record-error")) << report;
  DeleteFileW(file.c_str());
}

TEST_F(EngineServerTest, TwoTasksRunSideBySide) {
  Connection connection;
  ASSERT_NO_FATAL_FAILURE(connection.Open(kFaultNone));
  const size_t sizes[] = {120000, 70000};
  std::string urls[2];
  std::wstring files[2];
  for (int i = 0; i < 2; ++i) {
    urls[i] = BaseUrl() + "/file/" + std::to_string(sizes[i]);
    files[i] = TempFile(L"side" + std::to_wstring(i) + L".bin");
    ASSERT_EQ(S_OK,
              Send(connection.engine.Get(), &IDownloader::CreateTask, TaskFor(urls[i], files[i])));
  }
  ASSERT_TRUE(connection.sink.WaitFor(kEventCompleted, 30, 2));
  std::vector<Event> events = connection.sink.Events();
  int32_t ids[2] = {0, 0};
  for (const Event& event : events)
    for (int i = 0; i < 2; ++i)
      if (event.iCode == kEventCreated && WithoutTrailingZeros(event.bytes) == urls[i])
        ids[i] = event.iTaskId;
  EXPECT_NE(0, ids[0]);
  EXPECT_NE(0, ids[1]);
  EXPECT_NE(ids[0], ids[1]);
  for (int i = 0; i < 2; ++i) {
    const Event* last = nullptr;
    for (const Event& event : events)
      if (event.iTaskId == ids[i]) last = &event;
    ASSERT_TRUE(last);
    EXPECT_EQ(kEventCompleted, last->iCode);
    EXPECT_EQ(0, last->Value(0));
    EXPECT_TRUE(ServedPattern(sizes[i]) == ReadWholeFile(files[i]));
    DeleteFileW(files[i].c_str());
  }
  connection.Close();
}

TEST_F(EngineServerTest, ChecksRecordsAndInjectsFaultsPerRegistration) {
  Connection connection;
  ASSERT_NO_FATAL_FAILURE(connection.Open(kFaultRefuseCreate));
  IDownloader* engine = connection.engine.Get();
  std::string url = BaseUrl() + "/file/1000";
  std::wstring file = TempFile(L"faults.bin");
  EXPECT_EQ(E_FAIL, Send(engine, &IDownloader::CreateTask, TaskFor(url, file)));

  Download::EngineTaskRecord broken = TaskFor(url, file);
  std::memset(broken.szExtra3, 'x', sizeof(broken.szExtra3));
  EXPECT_EQ(E_INVALIDARG, Send(engine, &IDownloader::CreateTask, broken));
  EXPECT_EQ(E_INVALIDARG, SendText(engine, &IDownloader::SetProxy, std::string(100, '\0')));

  ASSERT_EQ(S_OK, Send(engine, &IDownloader::RegisterClient, RegistrationFor(kFaultFailSpeed)));
  EXPECT_TRUE(FAILED(engine->SetDownloadSpeed(100)));

  ASSERT_EQ(S_OK,
            Send(engine, &IDownloader::RegisterClient, RegistrationFor(kFaultResultBase + 22)));
  ASSERT_EQ(S_OK, Send(engine, &IDownloader::CreateTask, TaskFor(url, file)));
  ASSERT_TRUE(connection.sink.WaitFor(kEventCompleted, 30));
  EXPECT_EQ(22, connection.sink.Events().back().Value(0));
  connection.Close();

  std::string report = ReadReport("orvanedl");
  EXPECT_NE(std::string::npos, report.find("record-error task: extra3 not terminated")) << report;
  EXPECT_NE(std::string::npos, report.find("record-error proxy: proxy record size 100")) << report;
  DeleteFileW(file.c_str());
}

// Runs one task under a fault and returns its events once the engine is
// done with it (its completion, or its last progress when it never completes).
std::vector<Event> RunUnderFault(Connection& connection, uint32_t uiFault, const std::string& url,
                                 const std::wstring& file) {
  EventSink& sink = connection.sink;
  size_t before = sink.Events().size();
  IDownloader* engine = connection.engine.Get();
  EXPECT_EQ(S_OK, Send(engine, &IDownloader::RegisterClient, RegistrationFor(uiFault)));
  EXPECT_EQ(S_OK, Send(engine, &IDownloader::CreateTask, TaskFor(url, file)));
  for (int i = 0; i < 300; ++i) {
    std::vector<Event> events = sink.Events();
    std::vector<Event> mine(events.begin() + before, events.end());
    if (!mine.empty() && mine.back().iCode == kEventCompleted &&
        mine.back().iTaskId < kUnknownTaskIdOffset)
      return mine;
    if (uiFault == kFaultNeverComplete && !mine.empty() && mine.back().iCode == kEventProgress &&
        mine.back().Value(3) == 1000) {
      Sleep(500);
      events = sink.Events();
      return std::vector<Event>(events.begin() + before, events.end());
    }
    Sleep(100);
  }
  ADD_FAILURE() << "no end of the task under fault " << uiFault;
  return std::vector<Event>();
}

TEST_F(EngineServerTest, InjectedFaultsShapeTheEventsAcrossProcesses) {
  Connection connection;
  ASSERT_NO_FATAL_FAILURE(connection.Open(kFaultNone));
  std::wstring file = TempFile(L"shaped.bin");
  size_t size = 4000;
  std::string url = BaseUrl() + "/file/4000";
  if (url.size() % 2) {  // an even length, so no padding zero comes along
    size = 40000;
    url = BaseUrl() + "/file/40000";
  }

  std::vector<Event> events = RunUnderFault(connection, kFaultUnknownTaskIds, url, file);
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(kEventProgress, events[0].iCode);
  EXPECT_EQ(kEventCompleted, events[1].iCode);
  EXPECT_EQ(kEventCreated, events[2].iCode);
  EXPECT_EQ(events[2].iTaskId + kUnknownTaskIdOffset, events[0].iTaskId);

  events = RunUnderFault(connection, kFaultEngineLost, url, file);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(kEventEngineLost, events[0].iCode);
  EXPECT_FALSE(events[0].bHasBytes);
  EXPECT_EQ(0, events[0].iReferenced) << "event 6 carries a null payload";

  events = RunUnderFault(connection, kFaultShortPayloads, url, file);
  const Event* progress = Find(events, kEventProgress);
  ASSERT_TRUE(progress);
  EXPECT_EQ(4u, progress->bytes.size());
  EXPECT_GE(4u, events.back().bytes.size()) << "completion shorter than its two values";

  events = RunUnderFault(connection, kFaultUnterminatedPayloads, url, file);
  const Event* created = Find(events, kEventCreated);
  ASSERT_TRUE(created);
  EXPECT_EQ(url, created->bytes) << "the URL without its terminator";

  events = RunUnderFault(connection, kFaultNeverComplete, url, file);
  EXPECT_FALSE(Find(events, kEventCompleted));
  EXPECT_TRUE(ServedPattern(size) == ReadWholeFile(file));

  events = RunUnderFault(connection, kFaultRename, url, file);
  const Event* renamed = Find(events, kEventFileRenamed);
  ASSERT_TRUE(renamed);
  EXPECT_EQ(std::string(kRenamedFileName), std::string(renamed->bytes.c_str()));
  std::wstring renamedPath = file.substr(0, file.find_last_of(L'\\') + 1) + L"renamed.bin";
  EXPECT_TRUE(ReadWholeFile(file).empty()) << "the old name is gone";
  DeleteFileW(renamedPath.c_str());

  events = RunUnderFault(connection, kFaultNoCodeCompletion, url, file);
  ASSERT_FALSE(events.empty());
  EXPECT_FALSE(events.back().bHasBytes);
  EXPECT_EQ(-1, events.back().iReferenced) << "a completion without code refers to -1";

  for (int code : {0, 1, 5, 8, 22, 24, 3}) {
    events = RunUnderFault(connection, kFaultResultBase + code, url, file);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(code, events.back().Value(0));
  }
  connection.Close();
  DeleteFileW(file.c_str());
}

TEST_F(EngineServerTest, ServerThatExitsMidDownloadLeavesARpcError) {
  Connection connection;
  ASSERT_NO_FATAL_FAILURE(connection.Open(kFaultExitMidDownload));
  std::wstring file = TempFile(L"exited.bin");
  ASSERT_EQ(S_OK, Send(connection.engine.Get(), &IDownloader::CreateTask,
                       TaskFor(BaseUrl() + "/file/100000", file)));
  ASSERT_TRUE(connection.sink.WaitFor(kEventProgress, 30));
  std::vector<DWORD> pids = ServerPids(ReadReport("orvanedl"));
  ASSERT_EQ(1u, pids.size());
  HANDLE server = OpenProcess(SYNCHRONIZE, FALSE, pids[0]);
  if (server) {
    WaitForSingleObject(server, 10000);
    CloseHandle(server);
  }
  HRESULT hr = connection.engine->SetDownloadSpeed(100);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  EXPECT_FALSE(connection.sink.WaitFor(kEventCompleted, 0));
  connection.point.Reset();
  connection.engine.Reset();
  DeleteFileW(file.c_str());
}

TEST_F(EngineServerTest, KilledServerFailsTheNextCallAndANewOneStarts) {
  Connection connection;
  ASSERT_NO_FATAL_FAILURE(connection.Open(kFaultSlow));
  std::wstring file = TempFile(L"killed.bin");
  ASSERT_EQ(S_OK, Send(connection.engine.Get(), &IDownloader::CreateTask,
                       TaskFor(BaseUrl() + "/slow/400000", file)));
  ASSERT_TRUE(connection.sink.WaitFor(kEventProgress, 30));

  std::vector<DWORD> pids = ServerPids(ReadReport("orvanedl"));
  ASSERT_EQ(1u, pids.size());
  HANDLE server = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pids[0]);
  ASSERT_TRUE(server);
  EXPECT_TRUE(TerminateProcess(server, 9));
  WaitForSingleObject(server, 10000);
  CloseHandle(server);

  HRESULT hr = connection.engine->SetDownloadSpeed(100);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_TRUE(HRESULT_FACILITY(hr) == FACILITY_RPC ||
              (HRESULT_FACILITY(hr) == FACILITY_WIN32 && HRESULT_CODE(hr) >= 1700 &&
               HRESULT_CODE(hr) < 1900))
      << std::hex << hr << " is not an RPC error";
  connection.point.Reset();
  connection.engine.Reset();

  Connection fresh;
  ASSERT_NO_FATAL_FAILURE(fresh.Open(kFaultNone));
  EXPECT_EQ(S_OK, fresh.engine->SetDownloadSpeed(100));
  fresh.Close();
  pids = ServerPids(ReadReport("orvanedl"));
  ASSERT_EQ(2u, pids.size());
  EXPECT_NE(pids[0], pids[1]);
  DeleteFileW(file.c_str());
}

}  // namespace
