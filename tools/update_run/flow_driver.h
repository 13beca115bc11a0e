// Runs ZumiPictavoUpdateSvr.exe as its caller does and answers its dialog
// through the dialog's own buttons, as a click on them would.
#pragma once

#include <windows.h>

#include <string>

namespace flowdriver {

enum class Answer { kNone, kOk, kCancel, kCancelChecked, kClose };

constexpr DWORD kRunTimeoutMs = 120000;

// One running update service, started with the parameter string as its one
// argument; ended if still running when the object goes.
class FlowProcess {
 public:
  // leadingArgs, when given, come before the parameter string unquoted.
  FlowProcess(const std::wstring& exePath, const std::wstring& params,
              const std::wstring& leadingArgs = L"");
  ~FlowProcess();
  FlowProcess(const FlowProcess&) = delete;
  FlowProcess& operator=(const FlowProcess&) = delete;

  bool Started() const { return m_bStarted; }
  DWORD Pid() const { return m_info.dwProcessId; }
  bool Running() const;
  // The exit status, or 99 after the time-out.
  int Wait(DWORD timeoutMs = kRunTimeoutMs) const;
  // The process's visible dialog; null once the process has ended or the
  // time-out has passed.
  HWND WaitForDialog(DWORD timeoutMs = kRunTimeoutMs) const;

 private:
  PROCESS_INFORMATION m_info = {};
  bool m_bStarted = false;
};

// 0 for the question (update and cancel buttons), 1 for the notice.
int DialogMode(HWND dialog);
void AnswerDialog(HWND dialog, Answer answer);
// "ok", "cancel", "cancel-check", "close"; false for anything else.
bool ParseAnswer(const std::wstring& text, Answer& answer);

}  // namespace flowdriver
