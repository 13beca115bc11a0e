// Runs the project's log viewer (logview.exe) for a test and reads the
// records it wrote.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ViewerProcess {
 public:
  ViewerProcess() = default;
  ~ViewerProcess();
  ViewerProcess(const ViewerProcess&) = delete;
  ViewerProcess& operator=(const ViewerProcess&) = delete;

  // Starts the viewer writing to `outFile` and waits for its window.
  bool Start(const std::wstring& outFile, bool minimized);
  // Closes the window and waits for the process to end.
  void Stop();

  HWND window() const { return m_window; }
  std::vector<std::string> ReadLines() const;
  // The lines the viewer's window lists, oldest first.
  std::vector<std::string> ListedLines() const;
  // True when the newest listed line lies within the list's visible rows.
  bool NewestLineInView() const;

 private:
  PROCESS_INFORMATION m_process = {};
  HWND m_window = nullptr;
  std::wstring m_outFile;
};

// The window of class "LogView_zumipcmgr", waiting up to `timeoutMs`.
HWND WaitForViewerWindow(DWORD timeoutMs);
