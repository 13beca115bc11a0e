#include "app/win_app.h"

#include <shellapi.h>

#include <memory>

CWinApp* CWinApp::s_pApp = nullptr;

void CCommandLineInfo::ParseParam(const wchar_t* pszParam, bool bFlag, bool) {
  if (!bFlag && m_strFileName.empty()) m_strFileName = pszParam;
}

CWinApp::CWinApp() { s_pApp = this; }

CWinApp::~CWinApp() {
  if (s_pApp == this) s_pApp = nullptr;
}

int CWinApp::InitInstance() { return 0; }

namespace {

struct LocalFreer {
  void operator()(wchar_t** p) const { LocalFree(p); }
};

}  // namespace

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
  int nArgs = 0;
  std::unique_ptr<wchar_t*, LocalFreer> args(CommandLineToArgvW(GetCommandLineW(), &nArgs));
  if (!args) return;
  // Argument 0 is the program itself.
  for (int i = 1; i < nArgs; ++i) {
    const wchar_t* pszParam = args.get()[i];
    const bool bFlag = pszParam[0] == L'-' || pszParam[0] == L'/';
    rCmdInfo.ParseParam(bFlag ? pszParam + 1 : pszParam, bFlag, i + 1 == nArgs);
  }
}

int CWinApp::Run(HINSTANCE hInstance) {
  if (!s_pApp) return -1;
  s_pApp->m_hInstance = hInstance;
  return s_pApp->InitInstance();
}
