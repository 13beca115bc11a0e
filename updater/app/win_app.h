// The small application layer the update service uses in place of a
// framework: one global application object whose InitInstance does all the
// work, and the standard parse of the command line.
#pragma once

#include <windows.h>

#include <string>

// What the standard parse finds on the command line: the first argument
// that does not begin with "-" or "/" is the file name; flags are skipped.
class CCommandLineInfo {
 public:
  virtual ~CCommandLineInfo() = default;
  // Called once per argument; bFlag when it began with "-" or "/" (which
  // is then cut off).
  virtual void ParseParam(const wchar_t* pszParam, bool bFlag, bool bLast);

  std::wstring m_strFileName;
};

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The program's work. Its result is the process exit status: a caller can
  // tell a failed run from a successful one.
  virtual int InitInstance();
  void ParseCommandLine(CCommandLineInfo& rCmdInfo);

  // Runs the one application object; the exit status of the program.
  static int Run(HINSTANCE hInstance);

  HINSTANCE m_hInstance = nullptr;

 private:
  static CWinApp* s_pApp;
};
