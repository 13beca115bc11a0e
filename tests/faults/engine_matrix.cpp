// The download component against an engine stand-in that misbehaves: over
// COM (Orvanedl.exe) or in process (brimcore.dll), one fault per row. Each
// row reports whether the component became ready, how many tasks completed
// and with which results, whether any completed twice, how long the
// component took to end and whether handles were left behind.
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "IDownload.h"
#include "engine_faults.h"
#include "fault_rows.h"
#include "test_paths.h"

namespace {

using namespace enginefixture;

enum class Form { kCom, kCore, kNoEngine };

struct EngineRow {
  const char* name;
  Form form;
  uint32_t fault;
  int tasks;
  const char* path;    // on the loopback host, followed by the task's number
  DWORD completionMs;  // how long completions are waited for
};

const EngineRow kEngineRows[] = {
    {"engine_exits", Form::kCom, kFaultExitMidDownload, 1, "/slow/", 30000},
    {"engine_hangs", Form::kCore, kFaultNeverComplete, 1, "/file/", 2500},
    {"engine_refuses_task", Form::kCom, kFaultRefuseCreate, 1, "/file/", 20000},
    {"engine_fails_calls", Form::kCom, kFaultFailSpeed, 1, "/file/", 30000},
    {"engine_short_payloads", Form::kCom, kFaultShortPayloads, 1, "/file/", 2500},
    {"engine_unterminated_payloads", Form::kCom, kFaultUnterminatedPayloads, 1, "/file/", 20000},
    {"engine_unknown_task_ids", Form::kCore, kFaultUnknownTaskIds, 1, "/file/", 20000},
    {"engine_flood_core", Form::kCore, kFaultNone, 40, "/file/", 30000},
    {"engine_flood_com", Form::kCom, kFaultNone, 20, "/file/", 30000},
    {"engine_never_ready", Form::kNoEngine, kFaultNone, 1, "/file/", 10000},
};

// Completions per task, from whichever thread delivers them.
class Completions : public Download::CDownloadNotify {
 public:
  void OnDownloadComplete(uint32_t uiTaskID, uint32_t uiResult) override {
    std::lock_guard<std::mutex> hold(m_lock);
    m_results[uiTaskID].push_back(uiResult);
  }
  std::map<uint32_t, std::vector<uint32_t>> Results() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_results;
  }
  size_t Done() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_results.size();
  }

 private:
  std::mutex m_lock;
  std::map<uint32_t, std::vector<uint32_t>> m_results;
};

std::wstring TempDir() {
  wchar_t buffer[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, buffer);
  return buffer;
}

// The folder the component is given: the programs' own for the server
// (registered, its core library beside it), else a fresh one in the
// temporary folder holding the core library alone, or nothing.
std::wstring EngineFolderFor(Form form) {
  if (form == Form::kCom) return testsupport::BinaryDir();
  const std::wstring folder = TempDir() + L"zp-fault-engine-" +
                              std::to_wstring(GetCurrentProcessId()) +
                              (form == Form::kCore ? L"-core\\" : L"-none\\");
  CreateDirectoryW(folder.c_str(), nullptr);
  if (form == Form::kCore)
    CopyFileW(testsupport::BinaryPath(L"brimcore.dll").c_str(), (folder + L"brimcore.dll").c_str(),
              FALSE);
  return folder;
}

void RemoveEngineFolder(Form form, const std::wstring& folder) {
  if (form == Form::kCom) return;
  DeleteFileW((folder + L"brimcore.dll").c_str());
  RemoveDirectoryW(folder.c_str());
}

std::wstring TaskFile(int index) {
  return TempDir() + L"zp-fault-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(index) + L".bin";
}

TaskInfo Task(const EngineRow& row, int index) {
  TaskInfo task;
  task.strUrl =
      faults::Wide(faults::Env("ENGINE_TEST_BASE_URL") + row.path + std::to_string(20000 + index));
  task.strFileName = TaskFile(index);
  task.byTaskFlags = 0x80;
  return task;
}

// One plain download first, so what the process keeps for good (COM, the
// socket layer, the core library) is there before handles are counted.
void WarmUp(const std::wstring& folder) {
  Completions completions;
  EngineRow plain = {"", Form::kCore, kFaultNone, 1, "/file/", 0};
  std::unique_ptr<Download::CIDownload> component(CreateDownloader(0, folder, &completions));
  uint32_t id = 0;
  component->CreateTask(Task(plain, 999), id);
  faults::WaitUntil([&] { return completions.Done() == 1; }, 20000);
  component.reset();
  DeleteFileW(TaskFile(999).c_str());
}

std::string ResultWords(Completions& completions, int tasks) {
  std::set<uint32_t> results;
  bool twice = false;
  for (const auto& entry : completions.Results()) {
    twice = twice || entry.second.size() > 1;
    results.insert(entry.second.begin(), entry.second.end());
  }
  std::string words = "done=" + std::to_string(completions.Done()) + "/" + std::to_string(tasks);
  if (!results.empty()) {
    words += " result=";
    for (uint32_t result : results)
      words += (words.back() == '=' ? "" : ",") + std::to_string(result);
  }
  return words + (twice ? " twice=yes" : "");
}

std::string RunEngine(const EngineRow& row) {
  const std::wstring path = EngineFolderFor(row.form);
  if (row.form != Form::kNoEngine) WarmUp(path);
  Sleep(300);
  faults::HandleWatch handles(8);

  Completions completions;
  std::unique_ptr<Download::CIDownload> component(
      CreateDownloader(CustomIdForFault(row.fault), path, &completions));
  const bool ready = faults::WaitUntil([&] { return component->IsWorking() == 1; },
                                       row.form == Form::kNoEngine ? 3000 : 20000);
  for (int i = 0; i < row.tasks; ++i) {
    uint32_t id = 0;
    component->CreateTask(Task(row, i), id);
  }
  faults::WaitUntil([&] { return completions.Done() >= static_cast<size_t>(row.tasks); },
                    row.completionMs);
  std::string words =
      std::string("ready=") + (ready ? "1 " : "0 ") + ResultWords(completions, row.tasks);
  const DWORD ending = GetTickCount();
  component.reset();
  const DWORD endMs = GetTickCount() - ending;
  words += endMs < 5000 ? " end=fast" : " end=slow(" + std::to_string(endMs) + "ms)";
  // The engine's threads and a server process wind down after the end.
  Sleep(1000);
  for (int i = 0; i < row.tasks; ++i) DeleteFileW(TaskFile(i).c_str());
  words += " " + handles.Report();
  RemoveEngineFolder(row.form, path);
  faults::RemoveEngineReports(GetCurrentProcessId());
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<faults::Row> rows;
  for (const EngineRow& row : kEngineRows)
    rows.push_back({row.name, [&row] { return RunEngine(row); }});
  return faults::RunRows(rows, argc, argv);
}
