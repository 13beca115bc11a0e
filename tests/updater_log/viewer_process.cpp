#include "viewer_process.h"

#include <cstdio>
#include <memory>

#include "test_paths.h"

// The viewer's window exists a moment before the viewer shows it (minimised
// or not); a busy machine makes that moment long, so wait until it is shown.
HWND WaitForViewerWindow(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowA("LogView_zumipcmgr", nullptr);
    if (window && IsWindowVisible(window)) return window;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

ViewerProcess::~ViewerProcess() { Stop(); }

bool ViewerProcess::Start(const std::wstring& outFile, bool minimized) {
  m_outFile = outFile;
  DeleteFileW(outFile.c_str());
  std::wstring command = L"\"" + testsupport::BinaryPath(L"logview.exe") + L"\" --out \"" +
                         outFile + L"\"" + (minimized ? L" --minimized" : L"");
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &m_process)) {
    return false;
  }
  m_window = WaitForViewerWindow(20000);
  return m_window != nullptr;
}

void ViewerProcess::Stop() {
  if (!m_process.hProcess) return;
  if (m_window) PostMessageW(m_window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(m_process.hProcess, 1);
    WaitForSingleObject(m_process.hProcess, 5000);
  }
  CloseHandle(m_process.hThread);
  CloseHandle(m_process.hProcess);
  m_process = {};
  m_window = nullptr;
}

std::vector<std::string> ViewerProcess::ReadLines() const {
  std::vector<std::string> lines;
  std::unique_ptr<FILE, int (*)(FILE*)> in(_wfopen(m_outFile.c_str(), L"rb"), &fclose);
  if (!in) return lines;
  std::string line;
  int c;
  while ((c = fgetc(in.get())) != EOF) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The list is the viewer window's only child.
static HWND ListOf(HWND viewer) { return viewer ? GetWindow(viewer, GW_CHILD) : nullptr; }

std::vector<std::string> ViewerProcess::ListedLines() const {
  std::vector<std::string> lines;
  HWND list = ListOf(m_window);
  const LRESULT count = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    std::wstring line(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const LRESULT copied = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
    line.resize(copied > 0 && static_cast<size_t>(copied) < line.size() ? copied : 0);
    lines.emplace_back(line.begin(), line.end());  // the records are ASCII text
  }
  return lines;
}

bool ViewerProcess::NewestLineInView() const {
  HWND list = ListOf(m_window);
  RECT client = {};
  if (!list || !GetClientRect(list, &client)) return false;
  const LRESULT newest = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1;
  const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  const LRESULT rowHeight = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  if (newest < 0 || rowHeight <= 0) return false;
  const LRESULT visibleRows = (client.bottom - client.top) / rowHeight;
  return newest >= top && newest < top + visibleRows;
}
