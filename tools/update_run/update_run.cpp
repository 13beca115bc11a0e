// Runs the update service once as its caller would, for scripts/run.sh:
//
//   update_run.exe --exe SVR --params STRING --answer ok|cancel|cancel-check|close
//                  --status DIR [--logview VIEWER --log FILE]
//
// Starts the log viewer first (records into FILE), then the service. When
// the service shows its dialog, writes DIR\dialog.txt (the dialog's mode) and
// waits up to 60 s for DIR\go (the caller's screenshot is taken), then
// answers. Writes the exit status into DIR\exit.txt and ends with it.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "flow_driver.h"

namespace {

struct Options {
  std::wstring exe, params, status, logview, log;
  flowdriver::Answer answer = flowdriver::Answer::kOk;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring name = argv[i], value = argv[i + 1];
    if (name == L"--exe")
      options.exe = value;
    else if (name == L"--params")
      options.params = value;
    else if (name == L"--status")
      options.status = value;
    else if (name == L"--logview")
      options.logview = value;
    else if (name == L"--log")
      options.log = value;
    else if (name != L"--answer" || !flowdriver::ParseAnswer(value, options.answer))
      return false;
  }
  return !options.exe.empty() && !options.status.empty();
}

void WriteText(const std::wstring& path, const std::string& text) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return;
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

// The log viewer for the length of the run.
class Viewer {
 public:
  Viewer(const std::wstring& exe, const std::wstring& log) {
    if (exe.empty()) return;
    std::wstring command = L"\"" + exe + L"\" --out \"" + log + L"\" --minimized";
    STARTUPINFOW startup = {sizeof(startup)};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &m_info))
      return;
    for (int i = 0; i < 200 && !m_window; ++i, Sleep(100))
      m_window = FindWindowW(L"LogView_zumipcmgr", nullptr);
  }
  ~Viewer() {
    if (!m_info.hProcess) return;
    if (m_window) PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_info.hProcess, 10000) != WAIT_OBJECT_0)
      TerminateProcess(m_info.hProcess, 1);
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
  }
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

 private:
  PROCESS_INFORMATION m_info = {};
  HWND m_window = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    fwprintf(stderr,
             L"usage: update_run.exe --exe SVR --params STRING --answer ANSWER --status DIR "
             L"[--logview VIEWER --log FILE]\n");
    return 2;
  }
  const std::wstring status = options.status + L"\\";
  int code = 99;
  {
    Viewer viewer(options.logview, options.log);
    flowdriver::FlowProcess flow(options.exe, options.params);
    if (!flow.Started()) return 3;
    if (HWND dialog = flow.WaitForDialog()) {
      WriteText(status + L"dialog.txt", std::to_string(flowdriver::DialogMode(dialog)) + "\n");
      WaitForFile(status + L"go", 60000);
      flowdriver::AnswerDialog(dialog, options.answer);
    }
    code = flow.Wait();
  }
  WriteText(status + L"exit.txt", std::to_string(code) + "\n");
  return code;
}
