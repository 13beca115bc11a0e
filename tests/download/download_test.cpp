// The download component as the update service uses it: created through
// CreateDownloader, driven from the client's thread, reporting through its
// notification object; against the reference engine in both forms.
#include <windows.h>

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "IDownload.h"
#include "download_test_support.h"
#include "engine_faults.h"
#include "engine_test_support.h"
#include "test_paths.h"
#include "viewer_process.h"

namespace {

using namespace downloadtest;
using namespace enginefixture;
using namespace enginetest;

ViewerProcess* g_viewer = nullptr;
std::wstring g_viewerFile;

// The viewer runs before the first CreateDownloader, so every line arrives.
class ViewerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // In the prefix's own temporary folder: the shards run side by side.
    g_viewerFile = TempFile(L"viewer-records.txt");
    DeleteFileW(g_viewerFile.c_str());
    g_viewer = new ViewerProcess;
    ASSERT_TRUE(g_viewer->Start(g_viewerFile, true));
  }
  void TearDown() override {
    delete g_viewer;
    g_viewer = nullptr;
  }
};
const ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ViewerEnvironment);

std::string LogText() { return ReadWholeFile(g_viewerFile); }

enum class Form { kCom, kInProcess };

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TaskInfo Task(const std::string& url, const std::wstring& file) {
  TaskInfo task;
  task.strUrl = Wide(url);
  task.strFileName = file;
  task.byTaskFlags = 0x80;
  return task;
}

std::string FileUrl(size_t size) { return BaseUrl() + "/file/" + std::to_string(size); }

class DownloadTest : public ::testing::TestWithParam<Form> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(BaseUrl().empty()) << "run through loopback_http.py";
    DeleteReport("orvanedl");
    DeleteReport("brimcore");
    if (GetParam() == Form::kInProcess) m_coreOnly.reset(new EngineFolder({L"brimcore.dll"}));
  }
  void TearDown() override {
    m_component.reset();
    m_coreOnly.reset();
    DeleteReport("orvanedl");
    DeleteReport("brimcore");
  }

  // A file name of this form, so that a task of one form never meets a
  // download of the other still winding down.
  std::wstring File(const wchar_t* name) const {
    return TempFile((GetParam() == Form::kCom ? L"com-" : L"core-") + std::wstring(name));
  }
  const char* ReportName() const { return GetParam() == Form::kCom ? "orvanedl" : "brimcore"; }
  std::string Report() { return ReadReport(ReportName()); }
  std::wstring Folder() const {
    return GetParam() == Form::kCom ? testsupport::BinaryDir() : m_coreOnly->Path();
  }

  // A connected component for the engine of this form, under the fault.
  void Connect(uint32_t uiFault = kFaultNone) {
    ConnectIn(Folder(), uiFault);
    ASSERT_TRUE(WaitUntilWorking());
  }
  bool WaitUntilWorking() {
    return WaitUntil([&] { return m_component->IsWorking() == 1; }, 30);
  }
  void ConnectIn(const std::wstring& folder, uint32_t uiFault) {
    m_component.reset(CreateDownloader(CustomIdForFault(uiFault), folder, &m_recorder));
    ASSERT_TRUE(m_component);
  }
  uint32_t Create(const TaskInfo& task, uint32_t uiUserData = 0) {
    uint32_t id = uiUserData;
    EXPECT_EQ(1, m_component->CreateTask(task, id));
    return id;
  }
  // Downloads one file under the fault and returns the task's result.
  uint32_t ResultUnder(uint32_t uiFault) {
    Recorder recorder;
    std::unique_ptr<Download::CIDownload> component(
        CreateDownloader(CustomIdForFault(uiFault), Folder(), &recorder));
    uint32_t id = 0;
    component->CreateTask(Task(FileUrl(3000), File(L"mapped.bin")), id);
    Note note;
    EXPECT_TRUE(recorder.WaitFor(Note::kComplete, id, 60, &note)) << "fault " << uiFault;
    return note.uiValue1;
  }

  Recorder m_recorder;
  std::unique_ptr<EngineFolder> m_coreOnly;
  std::unique_ptr<Download::CIDownload> m_component;
};

TEST_P(DownloadTest, CarriesOutCommandsInOrderAndKeepsTaskStates) {
  size_t logBefore = LogText().size();
  ASSERT_NO_FATAL_FAILURE(Connect());
  ProxyInfo proxy;
  proxy.eProxyType = 5;
  m_component->SetProxy(proxy);
  m_component->SetDownloadSpeed(300);
  m_component->SetP2PUploadSpeed(20);
  m_component->SetSafeMode(1);

  const size_t size = 300001;
  std::string url = FileUrl(size);
  std::wstring file = File(L"first.bin");
  uint32_t first = Create(Task(url, file), 77);
  uint32_t duplicate = Create(Task(url, File(L"other.bin")));
  uint32_t empty = Create(Task("", File(L"empty.bin")));
  EXPECT_EQ(1u, first);
  EXPECT_EQ(2u, duplicate);
  EXPECT_EQ(3u, empty);

  Note note;
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, first, 60, &note));
  EXPECT_EQ(0u, note.uiValue1);
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, duplicate, 10, &note));
  EXPECT_EQ(1u, note.uiValue1) << "a second live task for the URL fails";
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, empty, 10, &note));
  EXPECT_EQ(1u, note.uiValue1);
  EXPECT_TRUE(ServedPattern(size) == ReadWholeFile(file)) << "the file equals the served file";

  TaskState state;
  ASSERT_EQ(1, m_component->GetTaskInfo(first, state));
  EXPECT_EQ(77u, state.uiUserData);
  EXPECT_EQ(1, state.bFinished);
  EXPECT_EQ(0u, state.uiResult);
  EXPECT_EQ(1000u, state.uiProgress);
  EXPECT_EQ(static_cast<uint32_t>(size), state.uiInfo1);
  TaskState byUrl;
  ASSERT_EQ(1, m_component->GetTaskInfo(Wide(url), byUrl));
  EXPECT_EQ(first, byUrl.uiTaskID);
  EXPECT_EQ(0, m_component->GetTaskInfo(12345u, state));

  m_component->DeleteTask(first);
  std::wstring again = File(L"again.bin");
  uint32_t reused = Create(Task(url, again));
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, reused, 60, &note));
  EXPECT_EQ(0u, note.uiValue1);
  ASSERT_EQ(1, m_component->GetTaskInfo(Wide(url), byUrl));
  EXPECT_EQ(reused, byUrl.uiTaskID) << "the deleted task's state is reused";
  EXPECT_EQ(again, byUrl.strFileName);
  EXPECT_EQ(0, m_component->GetTaskInfo(first, state));
  EXPECT_EQ(0u, m_recorder.Count(Note::kProgress, duplicate));

  std::string report = Report();
  size_t proxyAt = report.find("proxy type=5");
  size_t speedAt = report.find("speed=300");
  size_t uploadAt = report.find("upload-speed=20");
  size_t safeAt = report.find("safe-mode=1");
  size_t taskAt = report.find("task id=");
  ASSERT_NE(std::string::npos, taskAt) << report;
  EXPECT_LT(proxyAt, speedAt);
  EXPECT_LT(speedAt, uploadAt);
  EXPECT_LT(uploadAt, safeAt);
  EXPECT_LT(safeAt, taskAt);
  EXPECT_EQ(2u, CountOf(report, "task id=")) << "the duplicate and the empty URL never reach it";
  EXPECT_EQ(1u, CountOf(report, "delete ")) << report;
  EXPECT_EQ(std::string::npos, report.find("record-error")) << report;

  std::string log = LogText().substr(logBefore);
  EXPECT_NE(std::string::npos, log.find("BrimLib: CreateDownloader. uiCustomID = "));
  EXPECT_EQ(2u, CountOf(log, "CDownload::SetDownloadSpeed(). uiSpeed = 300"))
      << "once from the client's thread, once from the worker";
  EXPECT_NE(std::string::npos,
            log.find("CDownload::OnNotify()->OnDownloadComplete. uiTaskID = 1, uiResult = 0, "
                     "uiErrorCode = 0, uiDetailErrorCode = 0"));
  DeleteFileW(file.c_str());
  DeleteFileW(again.c_str());
}

TEST_P(DownloadTest, MapsEngineResultCodes) {
  const struct {
    uint32_t uiFault;
    uint32_t uiResult;
  } cases[] = {
      {kFaultResultBase + 0, 0}, {kFaultResultBase + 1, 2},   {kFaultResultBase + 8, 2},
      {kFaultResultBase + 5, 3}, {kFaultResultBase + 22, 4},  {kFaultResultBase + 24, 6},
      {kFaultResultBase + 3, 1}, {kFaultNoCodeCompletion, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.uiResult, ResultUnder(c.uiFault)) << c.uiFault;
  EXPECT_NE(std::string::npos,
            LogText().find("uiResult = 1, uiErrorCode = 0, uiDetailErrorCode = 0"))
      << "a completion without code shows codes 0";
}

TEST_P(DownloadTest, RenameReachesTheTaskState) {
  ASSERT_NO_FATAL_FAILURE(Connect(kFaultRename));
  std::wstring file = File(L"torename.bin");
  uint32_t id = Create(Task(FileUrl(5000), file));
  Note note;
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, id, 60));
  ASSERT_TRUE(m_recorder.WaitFor(Note::kRenamed, id, 1, &note));
  std::wstring renamed = file.substr(0, file.rfind(L'\\') + 1) + L"renamed.bin";
  EXPECT_EQ(renamed, note.strText);
  TaskState state;
  ASSERT_EQ(1, m_component->GetTaskInfo(id, state));
  EXPECT_EQ(renamed, state.strFileName);
  DeleteFileW(renamed.c_str());
}

TEST_P(DownloadTest, EventsForUnknownEngineTaskIdsReachNobody) {
  ASSERT_NO_FATAL_FAILURE(Connect(kFaultUnknownTaskIds));
  uint32_t id = Create(Task(FileUrl(5000), File(L"unknown.bin")));
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, id, 60));
  Sleep(300);
  for (const Note& note : m_recorder.Notes()) EXPECT_EQ(id, note.uiTaskID) << note.kind;
  EXPECT_EQ(1u, m_recorder.Count(Note::kComplete, id));
}

TEST_P(DownloadTest, DestructionDeletesUnfinishedTasksOnceAndEndsTheWorker) {
  ASSERT_NO_FATAL_FAILURE(Connect(kFaultSlow));
  std::string url = BaseUrl() + "/slow/400000";
  uint32_t id = Create(Task(url, File(L"unfinished.bin")));
  ASSERT_TRUE(m_recorder.WaitFor(Note::kProgress, id, 60)) << Report();
  size_t logBefore = LogText().size();
  DWORD started = GetTickCount();
  m_component.reset();
  EXPECT_LT(GetTickCount() - started, 5000u) << "the worker ended in time";
  std::string report = Report();
  EXPECT_EQ(1u, CountOf(report, "delete ")) << report;
  EXPECT_NE(std::string::npos, report.find("url=" + url + "\n")) << report;
  std::string log = LogText().substr(logBefore);
  size_t destroyed = log.find("CDownload::~CDownload()");
  ASSERT_NE(std::string::npos, destroyed);
  EXPECT_EQ(1u, CountOf(log.substr(destroyed), "CDownload::DeleteTask(). strUrl = " + url));
  EXPECT_EQ(0u, m_recorder.Count(Note::kComplete, id));
}

DWORD HandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

DWORD ThreadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {sizeof(entry)};
  DWORD count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snapshot);
  return count;
}

// Threads of this process, opened so that their exit codes stay readable.
std::vector<HANDLE> OpenOwnThreads() {
  std::vector<HANDLE> threads;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {sizeof(entry)};
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    if (HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID))
      threads.push_back(thread);
  }
  CloseHandle(snapshot);
  return threads;
}

// A long queue of slow engine calls at destruction: the worker drops the
// queue and ends by itself instead of being terminated inside a call.
TEST_P(DownloadTest, DestructionDropsTheQueueInsteadOfTerminatingTheWorker) {
  const size_t kQueued = 100;  // 10 s of engine calls, twice the wait for the worker
  const size_t kBacklog = 20;  // calls still waiting when the component goes
  ASSERT_NO_FATAL_FAILURE(Connect(kFaultSlowSettings));
  std::vector<HANDLE> threads = OpenOwnThreads();
  // A loaded machine may queue slower than the engine answers: queue until
  // the backlog is long, whatever the pace.
  size_t queued = 0;
  size_t carried = 0;
  while (queued < kQueued || queued - carried < kBacklog) {
    for (int i = 0; i < 10; ++i)
      m_component->SetDownloadSpeed(static_cast<uint32_t>(1000 + queued++));
    carried = CountOf(Report(), "speed=1");
  }
  m_component.reset();
  const DWORD kTerminated = 1023;
  for (HANDLE thread : threads) {
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_NE(kTerminated, code) << "a worker was terminated";
    CloseHandle(thread);
  }
  // Calls carried between the last look and the stop, not the backlog.
  EXPECT_LE(CountOf(Report(), "speed=1"), carried + kBacklog / 2) << queued << " queued";
  // The process is sound afterwards.
  EXPECT_EQ(0u, ResultUnder(kFaultNone));
}

// Whether the engine's report shows the download of the URL succeeded.
bool EngineSucceeded(const std::string& report, const std::string& url) {
  return report.find(" result=0 detail=0 url=" + url + "\n") != std::string::npos;
}

// Two client threads create and delete tasks while the engine's threads
// report on the tasks left running.
TEST_P(DownloadTest, CreateAndDeleteFromTwoThreadsUnderEngineEvents) {
  // A first download brings up what the process keeps afterwards.
  EXPECT_EQ(0u, ResultUnder(kFaultNone));
  Sleep(500);
  DWORD handlesBefore = HandleCount();
  DWORD threadsBefore = ThreadCount();
  ASSERT_NO_FATAL_FAILURE(Connect());
  const int kPairsPerThread = GetParam() == Form::kCom ? 100 : 500;
  const int kLiveTasks = 8;
  std::vector<uint32_t> ids[2];
  std::vector<uint32_t> live;
  std::vector<std::wstring> liveFiles;
  for (int i = 0; i < kLiveTasks; ++i) {
    liveFiles.push_back(File((L"live" + std::to_wstring(i) + L".bin").c_str()));
    live.push_back(Create(Task(FileUrl(20000 + i), liveFiles.back())));
  }
  std::thread clients[2];
  for (int t = 0; t < 2; ++t) {
    clients[t] = std::thread([&, t] {
      for (int i = 0; i < kPairsPerThread; ++i) {
        uint32_t id = 0;
        std::wstring file = File((L"pair" + std::to_wstring(t * 10000 + i) + L".bin").c_str());
        m_component->CreateTask(Task(FileUrl(30000 + t * 10000 + i), file), id);
        m_component->DeleteTask(id);
        ids[t].push_back(id);
      }
    });
  }
  for (std::thread& client : clients) client.join();
  std::set<uint32_t> distinct(ids[0].begin(), ids[0].end());
  distinct.insert(ids[1].begin(), ids[1].end());
  distinct.insert(live.begin(), live.end());
  EXPECT_EQ(static_cast<size_t>(2 * kPairsPerThread + kLiveTasks), distinct.size());
  std::map<uint32_t, std::string> urlOf;
  for (int i = 0; i < kLiveTasks; ++i) urlOf[live[i]] = FileUrl(20000 + i);
  for (int t = 0; t < 2; ++t)
    for (int i = 0; i < kPairsPerThread; ++i) urlOf[ids[t][i]] = FileUrl(30000 + t * 10000 + i);
  for (uint32_t id : live) ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, id, 120)) << id;
  Sleep(500);
  for (uint32_t id : live) EXPECT_EQ(1u, m_recorder.Count(Note::kComplete, id));
  // The network under load is not under test: a task may fail, or finish
  // before its deletion is carried out, as long as its result is the engine's.
  // The engine writes its report line before it fires the completion.
  const std::vector<Note> notes = m_recorder.Notes();
  const std::string report = Report();
  for (const Note& note : notes)
    if (note.kind == Note::kComplete)
      EXPECT_EQ(EngineSucceeded(report, urlOf[note.uiTaskID]), note.uiValue1 == 0)
          << note.uiTaskID << " " << urlOf[note.uiTaskID];
  m_component.reset();
  for (const std::wstring& file : liveFiles) DeleteFileW(file.c_str());
  for (int i = 0; i < 2 * 10000; ++i)
    if (i % 10000 < kPairsPerThread)
      DeleteFileW(File((L"pair" + std::to_wstring(i) + L".bin").c_str()).c_str());
  // A leak would show per task; the system's thread pool may keep a worker.
  EXPECT_TRUE(WaitUntil([&] { return ThreadCount() <= threadsBefore + 2; }, 30))
      << ThreadCount() << " threads, " << threadsBefore << " before";
  EXPECT_LE(HandleCount(), handlesBefore + 8) << handlesBefore << " handles before";
}

INSTANTIATE_TEST_SUITE_P(BothEngines, DownloadTest, ::testing::Values(Form::kCom, Form::kInProcess),
                         [](const ::testing::TestParamInfo<Form>& info) {
                           return info.param == Form::kCom ? "OverCom" : "InProcess";
                         });

// Only the out-of-process engine hands payloads over with their lengths.
using ComDownloadTest = DownloadTest;

TEST_P(ComDownloadTest, MalformedPayloadsAreIgnored) {
  for (uint32_t fault : {kFaultShortPayloads, kFaultUnterminatedPayloads}) {
    Recorder recorder;
    std::unique_ptr<Download::CIDownload> component(
        CreateDownloader(CustomIdForFault(fault), Folder(), &recorder));
    uint32_t id = 0;
    component->CreateTask(Task(FileUrl(5000), File(L"malformed.bin")), id);
    ASSERT_TRUE(WaitUntil([&] { return Report().find("done task=") != std::string::npos; }, 60));
    Sleep(500);
    for (const Note& note : recorder.Notes())
      EXPECT_TRUE(note.kind == Note::kInfo || note.kind == Note::kStatus)
          << "fault " << fault << " kind " << note.kind;
    EXPECT_EQ(0u, recorder.Count(Note::kComplete, id)) << "fault " << fault;
    component.reset();
    DeleteReport("orvanedl");
  }
}

TEST_P(ComDownloadTest, NotInstalledEngineRegistersItselfAndConnects) {
  UnregisterServer();
  ASSERT_TRUE(RegisteredServer().empty());
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_NE(std::wstring::npos, RegisteredServer().find(L"Orvanedl.exe"));
  EXPECT_NE(std::string::npos,
            Report().find("register pid=" + std::to_string(GetCurrentProcessId())));
}

TEST_P(ComDownloadTest, WithoutEngineFilesNothingConnectsAndNothingHangs) {
  EngineFolder empty({});
  ConnectIn(empty.Path(), kFaultNone);
  Sleep(2000);
  EXPECT_EQ(0, m_component->IsWorking());
  uint32_t id = Create(Task(FileUrl(100), File(L"none.bin")));
  Note note;
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, id, 10, &note));
  EXPECT_EQ(1u, note.uiValue1);
  DWORD started = GetTickCount();
  m_component.reset();
  EXPECT_LT(GetTickCount() - started, 5000u);
}

TEST_P(ComDownloadTest, LostConnectionReconnectsTwiceThenRunsInProcess) {
  ASSERT_NO_FATAL_FAILURE(Connect(kFaultFailSpeed));
  m_component->SetSafeMode(1);
  m_component->SetP2PUploadSpeed(20);
  uint32_t id = Create(Task(FileUrl(5000), File(L"reconnect.bin")));
  ASSERT_TRUE(
      WaitUntil([&] { return ReadReport("brimcore").find("task id=") != std::string::npos; }, 60));
  std::string report = Report();
  EXPECT_EQ(3u, CountOf(report, "register pid=")) << report;
  EXPECT_EQ(3u, CountOf(report, "task id=")) << "each connection re-creates the task";
  EXPECT_EQ(3u, CountOf(report, "safe-mode=1")) << "saved settings are re-applied";
  EXPECT_EQ(3u, CountOf(report, "upload-speed=20"));
  std::string core = ReadReport("brimcore");
  EXPECT_NE(std::string::npos, core.find("safe-mode=1"));
  EXPECT_NE(std::string::npos, core.find("upload-speed=20 first=0"));
  Note note;
  EXPECT_TRUE(m_recorder.WaitFor(Note::kComplete, id, 60, &note));
  // The restart re-creates the task before the component takes the new
  // engine's started flag, so a small task can complete a moment earlier.
  EXPECT_TRUE(WaitUntilWorking());
}

TEST_P(ComDownloadTest, KilledServerMidDownloadEndsWithTheFileComplete) {
  ASSERT_NO_FATAL_FAILURE(Connect(kFaultSlow));
  const size_t size = 60000;
  std::wstring file = File(L"killed.bin");
  uint32_t id = Create(Task(FileUrl(size), file));
  ASSERT_TRUE(m_recorder.WaitFor(Note::kProgress, id, 60));
  std::vector<DWORD> pids = ServerPids(Report());
  ASSERT_EQ(1u, pids.size());
  ASSERT_TRUE(KillProcess(pids[0]));
  ASSERT_TRUE(WaitUntil([&] { return m_recorder.Count(Note::kComplete, id) > 0; }, 90));
  Note note;
  m_recorder.WaitFor(Note::kComplete, id, 0, &note);
  EXPECT_EQ(0u, note.uiValue1);
  EXPECT_TRUE(ServedPattern(size) == ReadWholeFile(file));
  EXPECT_EQ(2u, ServerPids(Report()).size()) << "the first restart reconnects over COM";
  DeleteFileW(file.c_str());
}

TEST_P(ComDownloadTest, AfterEngineLostTheRestartGoesInProcessAndFailedTasksComplete) {
  // Without a core library beside the server, the tasks cannot be re-created.
  EngineFolder serverOnly({L"Orvanedl.exe"});
  ConnectIn(serverOnly.Path(), kFaultEngineLost);
  ASSERT_TRUE(WaitUntilWorking());
  uint32_t id = Create(Task(BaseUrl() + "/slow/200000", File(L"lost.bin")));
  ASSERT_TRUE(m_recorder.WaitFor(Note::kEngineLost, 0, 60));
  ASSERT_TRUE(m_recorder.WaitFor(Note::kProgress, id, 60));
  std::vector<DWORD> pids = ServerPids(Report());
  ASSERT_EQ(1u, pids.size());
  ASSERT_TRUE(KillProcess(pids[0]));
  Note note;
  ASSERT_TRUE(m_recorder.WaitFor(Note::kComplete, id, 30, &note));
  EXPECT_EQ(1u, note.uiValue1);
  EXPECT_EQ(1u, ServerPids(Report()).size()) << "no second COM connection after event 6";
  EXPECT_EQ(0, m_component->IsWorking());
  EXPECT_NE(std::string::npos,
            LogText().find("uiResult = 1, uiErrorCode = -1, uiDetailErrorCode = 0"));
  m_component.reset();
}

INSTANTIATE_TEST_SUITE_P(Server, ComDownloadTest, ::testing::Values(Form::kCom),
                         [](const ::testing::TestParamInfo<Form>&) { return "OverCom"; });

}  // namespace
