#include "app/update_deamon_app.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

#include "app/update_deamon.h"
#include "app/update_params.h"
#include "app/update_settings.h"

namespace {

// GDI+ for the lifetime of the owner, shut down only if it started.
class ScopedGdiplus {
 public:
  ScopedGdiplus() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback
    m_bStarted = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
  }
  ~ScopedGdiplus() {
    if (m_bStarted) Gdiplus::GdiplusShutdown(m_token);
  }
  ScopedGdiplus(const ScopedGdiplus&) = delete;
  ScopedGdiplus& operator=(const ScopedGdiplus&) = delete;

 private:
  ULONG_PTR m_token = 0;
  bool m_bStarted = false;
};

std::wstring ToWide(const std::u16string& strText) {
  return std::wstring(strText.begin(), strText.end());
}

}  // namespace

int CUpdateDeamonApp::InitInstance() {
  CWinApp::InitInstance();
  CCommandLineInfo cmdInfo;
  ParseCommandLine(cmdInfo);
  const std::wstring& strParams = cmdInfo.m_strFileName;
  UpdateParams params;
  if (!ParseUpdateParams(std::u16string(strParams.begin(), strParams.end()), params))
    return UPDATE_BAD_PARAMS;

  UpdateDeamon deamon(ToWide(params.strUrl), ToWide(params.strMd5), ToWide(params.strTipText),
                      params.bForce);
  std::wstring strIgnored;
  if (ReadIgnoreMd5Value(strIgnored) && strIgnored == ToWide(params.strMd5)) return UPDATE_OK;

  ScopedGdiplus gdiplus;
  return deamon.DoUpdate();
}
