// brimcore.dll driven the way the update service drives it in process:
// loaded with CoLoadLibrary, its object made through DllGetClassObject, its
// events received through DownloadProxy::DlCallBack on the library's threads.
#include <windows.h>

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "DlCallBack.h"
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

struct Event {
  int32_t iCode;
  int32_t iTaskId;
  uintptr_t uiPayload;  // the payload pointer as received
  std::string bytes;    // what it pointed to, where it is a pointer

  int32_t Value(size_t index) const {
    int32_t value = 0;
    if (bytes.size() >= (index + 1) * 4) std::memcpy(&value, bytes.data() + index * 4, 4);
    return value;
  }
};

bool IsValueCode(int32_t iCode) {
  return iCode == 64 || iCode == 73 || iCode == 74 || iCode == 83 || iCode == 84 || iCode == 86 ||
         iCode == 87 || iCode == 99;
}

// How many payload bytes each pointer event carries.
size_t PayloadSize(int32_t iCode, const char* payload) {
  switch (iCode) {
    case kEventCreated:
    case kEventFileRenamed:
      return strnlen(payload, 4100) + 1;
    case kEventProgress:
      return 16;
    case kEventTaskInfo:
    case kEventCompleted:
      return 8;
    default:
      return 0;
  }
}

class Callback final : public DownloadProxy::DlCallBack {
 public:
  long OnEngineEvent(int32_t iCode, int32_t iEngineTaskId, void* pPayload) override {
    Event event{iCode, iEngineTaskId, reinterpret_cast<uintptr_t>(pPayload), std::string()};
    bool isPointer =
        pPayload && event.uiPayload != static_cast<uintptr_t>(-1) && !IsValueCode(iCode);
    if (isPointer) {
      const char* bytes = static_cast<const char*>(pPayload);
      event.bytes.assign(bytes, PayloadSize(iCode, bytes));
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_events.push_back(event);
    m_changed.notify_all();
    return 0;
  }

  bool WaitFor(int32_t iCode, int seconds) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::seconds(seconds), [&] {
      for (const Event& event : m_events)
        if (event.iCode == iCode) return true;
      return false;
    });
  }
  std::vector<Event> Events() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_events;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<Event> m_events;
};

uint32_t Address(Callback* callback) {
  return static_cast<uint32_t>(
      reinterpret_cast<uintptr_t>(static_cast<DownloadProxy::DlCallBack*>(callback)));
}

const Event* Find(const std::vector<Event>& events, int32_t iCode) {
  for (const Event& event : events)
    if (event.iCode == iCode) return &event;
  return nullptr;
}

Download::EngineTaskRecord TaskFor(const std::string& url, const std::wstring& file,
                                   uint32_t uiCallback) {
  TaskInfo task;
  task.strUrl = std::wstring(url.begin(), url.end());
  task.strFileName = file;
  Download::EngineTaskRecord record = Download::BuildEngineTaskRecord(task, 0);
  record.uiCallback = uiCallback;
  return record;
}

const BYTE* Bytes(const void* record) { return static_cast<const BYTE*>(record); }

// The core library loaded and one engine object started, as the update
// service's in-process start does it.
class CoreEngine {
 public:
  void Start(uint32_t uiFault) {
    m_path = testsupport::BinaryPath(L"brimcore.dll");
    m_module = CoLoadLibrary(&m_path[0], FALSE);
    ASSERT_TRUE(m_module);
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        GetProcAddress(m_module, "DllGetClassObject"));
    ASSERT_TRUE(getClassObject);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject(CLSID_DownloadCore, IID_IClassFactory,
                                   reinterpret_cast<void**>(factory.GetAddressOf())));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDownloadCore,
                                            reinterpret_cast<void**>(engine.GetAddressOf())));
    Download::InProcessConfig config = Download::BuildInProcessConfig();
    Download::CompleteInProcessConfig(config, std::rand(), std::rand(), Address(&callback),
                                      CustomIdForFault(uiFault));
    EXPECT_EQ(S_OK, engine->Initialize(Bytes(&config)));
    Download::CallbackRegistration registration =
        Download::BuildCallbackRegistration(Address(&callback), CustomIdForFault(uiFault));
    ASSERT_EQ(S_OK, engine->RegisterCallback(Bytes(&registration)));
    Download::InProcessSettings settings = Download::BuildInProcessSettings();
    ASSERT_EQ(S_OK, engine->ApplySettings(Bytes(&settings), sizeof(settings)));
  }

  LONG CreateTask(const std::string& url, const std::wstring& file) {
    Download::EngineTaskRecord record = TaskFor(url, file, Address(&callback));
    LONG id = 0;
    EXPECT_EQ(S_OK, engine->CreateTask(Bytes(&record), &id));
    EXPECT_EQ(S_OK, engine->TaskRegistered(url.c_str(), id));
    return id;
  }

  ~CoreEngine() {
    if (engine) engine->Close();
    engine.Reset();
    if (m_module) {
      auto release =
          reinterpret_cast<void(STDAPICALLTYPE*)()>(GetProcAddress(m_module, "ReleaseCommLib"));
      if (release) release();
      CoFreeLibrary(m_module);
    }
  }

  Callback callback;
  ComPtr<IDownloadCore> engine;

 private:
  std::wstring m_path;
  HMODULE m_module = nullptr;
};

class EngineCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(BaseUrl().empty()) << "run through loopback_http.py";
    DeleteReport("brimcore");
  }
  void TearDown() override { DeleteReport("brimcore"); }

  ScopedComInit m_com{COINIT_MULTITHREADED};
};

TEST_F(EngineCoreTest, DownloadsATaskAndReportsThroughTheCallback) {
  CoreEngine core;
  ASSERT_NO_FATAL_FAILURE(core.Start(kFaultNone));
  EXPECT_EQ(S_OK, core.engine->SetDownloadSpeed(300));
  EXPECT_EQ(S_OK, core.engine->SetUploadSpeed(0, 20));
  EXPECT_EQ(S_OK, core.engine->SetSafeMode(1));
  ProxyInfo proxy;
  proxy.eProxyType = 5;
  Download::EngineProxyRecord proxyRecord = Download::BuildEngineProxyRecord(proxy);
  EXPECT_EQ(S_OK, core.engine->SetProxy(Bytes(&proxyRecord)));

  const size_t size = 150000;
  std::string url = BaseUrl() + "/file/" + std::to_string(size);
  std::wstring file = TempFile(L"core.bin");
  DeleteFileW(file.c_str());
  LONG id = core.CreateTask(url, file);
  EXPECT_EQ(kFirstEngineTaskId, id);
  ASSERT_TRUE(core.callback.WaitFor(kEventCompleted, 30));
  EXPECT_EQ(S_OK, core.engine->DeleteTask(url.c_str(), 1, id));

  std::vector<Event> events = core.callback.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(kEventCreated, events.front().iCode);
  EXPECT_EQ(url + '\0', events.front().bytes);
  const Event* status = Find(events, kEventStatus);
  ASSERT_TRUE(status);
  EXPECT_EQ(1u, status->uiPayload) << "status arrives as the value itself";
  const Event* progress = nullptr;
  for (const Event& event : events) {
    EXPECT_EQ(id, event.iTaskId);
    if (event.iCode == kEventProgress) progress = &event;
  }
  ASSERT_TRUE(progress);
  EXPECT_EQ(1000, progress->Value(3));
  EXPECT_EQ(kEventCompleted, events.back().iCode);
  EXPECT_EQ(0, events.back().Value(0));
  EXPECT_TRUE(ServedPattern(size) == ReadWholeFile(file)) << "the file equals the served file";

  std::string report = ReadReport("brimcore");
  std::string initialize = "initialize custom=" + std::to_string(CustomIdForFault(kFaultNone));
  EXPECT_NE(std::string::npos, report.find(initialize)) << report;
  EXPECT_NE(std::string::npos, report.find("callback=" + std::to_string(Address(&core.callback))));
  EXPECT_NE(std::string::npos, report.find("upload-speed=20 first=0"));
  EXPECT_NE(std::string::npos, report.find("registered id=" + std::to_string(id) + " url=" + url));
  EXPECT_NE(std::string::npos,
            report.find("delete id=" + std::to_string(id) + " one=1 url=" + url));
  EXPECT_NE(std::string::npos, report.find("settings"));
  EXPECT_EQ(std::string::npos, report.find("record-error")) << report;
  DeleteFileW(file.c_str());
}

TEST_F(EngineCoreTest, RefusesRecordsThatBreakTheirLayout) {
  CoreEngine core;
  ASSERT_NO_FATAL_FAILURE(core.Start(kFaultNone));
  Download::InProcessSettings settings = Download::BuildInProcessSettings();
  EXPECT_EQ(E_INVALIDARG, core.engine->ApplySettings(Bytes(&settings), 48));
  Download::EngineTaskRecord record = TaskFor(BaseUrl() + "/file/1", TempFile(L"x.bin"), 0);
  record.iReserved3 = 31;
  LONG id = 0;
  EXPECT_EQ(E_INVALIDARG, core.engine->CreateTask(Bytes(&record), &id));
  std::string report = ReadReport("brimcore");
  EXPECT_NE(std::string::npos, report.find("record-error settings: settings size 48")) << report;
  EXPECT_NE(std::string::npos, report.find("record-error task: fixed integers wrong")) << report;
}

TEST_F(EngineCoreTest, InjectedFaultsShapeTheEvents) {
  std::wstring file = TempFile(L"faults.bin");
  std::string url = BaseUrl() + "/file/5000";
  {
    CoreEngine core;
    ASSERT_NO_FATAL_FAILURE(core.Start(kFaultUnknownTaskIds));
    LONG id = core.CreateTask(url, file);
    ASSERT_TRUE(core.callback.WaitFor(kEventCreated, 30));
    ASSERT_TRUE(core.callback.WaitFor(kEventCompleted, 30));
    std::vector<Event> events = core.callback.Events();
    EXPECT_EQ(id + kUnknownTaskIdOffset, events.front().iTaskId) << "unknown ids come first";
  }
  {
    CoreEngine core;
    ASSERT_NO_FATAL_FAILURE(core.Start(kFaultEngineLost));
    core.CreateTask(url, file);
    ASSERT_TRUE(core.callback.WaitFor(kEventCompleted, 30));
    const Event* lost = Find(core.callback.Events(), kEventEngineLost);
    ASSERT_TRUE(lost);
    EXPECT_EQ(0u, lost->uiPayload) << "event 6 has no payload";
  }
  {
    CoreEngine core;
    ASSERT_NO_FATAL_FAILURE(core.Start(kFaultNoCodeCompletion));
    core.CreateTask(url, file);
    ASSERT_TRUE(core.callback.WaitFor(kEventCompleted, 30));
    EXPECT_EQ(static_cast<uintptr_t>(-1), core.callback.Events().back().uiPayload);
  }
  {
    CoreEngine core;
    ASSERT_NO_FATAL_FAILURE(core.Start(kFaultRename));
    core.CreateTask(url, file);
    ASSERT_TRUE(core.callback.WaitFor(kEventCompleted, 30));
    const Event* renamed = Find(core.callback.Events(), kEventFileRenamed);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(std::string(kRenamedFileName) + '\0', renamed->bytes);
    std::wstring renamedPath = file.substr(0, file.find_last_of(L'\\') + 1) + L"renamed.bin";
    EXPECT_TRUE(ServedPattern(5000) == ReadWholeFile(renamedPath));
    DeleteFileW(renamedPath.c_str());
  }
  {
    CoreEngine core;
    ASSERT_NO_FATAL_FAILURE(core.Start(kFaultResultBase + 24));
    core.CreateTask(BaseUrl() + "/missing", file);
    ASSERT_TRUE(core.callback.WaitFor(kEventCompleted, 30));
    EXPECT_EQ(24, core.callback.Events().back().Value(0));
    EXPECT_EQ(404, core.callback.Events().back().Value(1));
  }
  {
    CoreEngine core;
    ASSERT_NO_FATAL_FAILURE(core.Start(kFaultFailSpeed));
    EXPECT_TRUE(FAILED(core.engine->SetDownloadSpeed(1)));
    Download::EngineTaskRecord record = TaskFor(url, file, 0);
    LONG id = 0;
    EXPECT_EQ(S_OK, core.engine->CreateTask(Bytes(&record), &id));
    ASSERT_TRUE(core.callback.WaitFor(kEventCompleted, 30));
  }
  DeleteFileW(file.c_str());
}

}  // namespace
