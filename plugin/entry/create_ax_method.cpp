// The script method "CreateAX": creates the control when given the control's
// file name.
#include <string.h>

#include "entry/my_adapter.h"
#include "entry/np_members.h"
#include "support/write_log.h"

namespace {

const char kControlFileName[] = "ZumiPictavoEx.dll";

}  // namespace

bool npCreateAxControl::Invoke(const NPVariant* args, uint32_t argCount, NPVariant* result) {
  if (!args || !result || argCount == 0) return false;
  if (args[0].type != NPVariantType_String) return false;
  char name[256] = {};
  const NPString& text = args[0].value.stringValue;
  if (text.UTF8Characters)
    memcpy(name, text.UTF8Characters, text.UTF8Length < 255 ? text.UTF8Length : 255);
  if (strcmp(name, kControlFileName) != 0) return false;
  if (!m_pPlugin) return false;
  m_pPlugin->CreateAxControl();
  WriteLog(L"npZumiPictavoEx.txt", L"npCreateAxControl");
  return true;
}
