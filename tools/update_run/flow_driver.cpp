#include "flow_driver.h"

#include <cwchar>

#include "updater_resource.h"

namespace flowdriver {

namespace {

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (pid == search->pid && IsWindowVisible(window) && wcscmp(className, L"#32770") == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

void Click(HWND dialog, int id, bool wait) {
  WPARAM command = MAKEWPARAM(id, BN_CLICKED);
  LPARAM control = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
  if (wait)
    SendMessageW(dialog, WM_COMMAND, command, control);
  else
    PostMessageW(dialog, WM_COMMAND, command, control);
}

}  // namespace

FlowProcess::FlowProcess(const std::wstring& exePath, const std::wstring& params,
                         const std::wstring& leadingArgs) {
  std::wstring command = L"\"" + exePath + L"\" " + leadingArgs +
                         (leadingArgs.empty() ? L"" : L" ") + L"\"" + params + L"\"";
  STARTUPINFOW startup = {sizeof(startup)};
  m_bStarted = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &m_info) != FALSE;
}

FlowProcess::~FlowProcess() {
  if (!m_bStarted) return;
  if (Running()) TerminateProcess(m_info.hProcess, 99);
  CloseHandle(m_info.hThread);
  CloseHandle(m_info.hProcess);
}

bool FlowProcess::Running() const {
  return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

int FlowProcess::Wait(DWORD timeoutMs) const {
  if (WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) return 99;
  DWORD code = 0;
  GetExitCodeProcess(m_info.hProcess, &code);
  return static_cast<int>(code);
}

HWND FlowProcess::WaitForDialog(DWORD timeoutMs) const {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    Search search{Pid(), nullptr};
    EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (!Running()) return nullptr;
    Sleep(100);
  }
  return nullptr;
}

int DialogMode(HWND dialog) { return IsWindowVisible(GetDlgItem(dialog, IDCANCEL)) ? 0 : 1; }

void AnswerDialog(HWND dialog, Answer answer) {
  switch (answer) {
    case Answer::kOk:
      Click(dialog, IDOK, false);
      break;
    case Answer::kCancel:
      Click(dialog, IDCANCEL, false);
      break;
    case Answer::kCancelChecked:
      Click(dialog, IDC_NOREMIND_CHK, true);
      Click(dialog, IDCANCEL, false);
      break;
    case Answer::kClose:
      Click(dialog, IDC_CLOSE_BTN, false);
      break;
    case Answer::kNone:
      break;
  }
}

bool ParseAnswer(const std::wstring& text, Answer& answer) {
  static const struct {
    const wchar_t* name;
    Answer answer;
  } kAnswers[] = {{L"ok", Answer::kOk},
                  {L"cancel", Answer::kCancel},
                  {L"cancel-check", Answer::kCancelChecked},
                  {L"close", Answer::kClose}};
  for (const auto& entry : kAnswers)
    if (text == entry.name) {
      answer = entry.answer;
      return true;
    }
  return false;
}

}  // namespace flowdriver
