// The script method "CreateAX": creates the control when given the control's
// file name, for a page that the site lock allows.
#include <string.h>

#include "entry/my_adapter.h"
#include "entry/np_members.h"
#include "entry/refusal.h"
#include "entry/site_lock.h"
#include "support/write_log.h"

namespace {

const char kMethodName[] = "CreateAX";
const char kControlFileName[] = "ZumiPictavoEx.dll";

}  // namespace

bool npCreateAxControl::Invoke(const NPVariant* args, uint32_t argCount, NPVariant* result) {
  if (!args || !result || argCount == 0)
    return refusal::Refuse(refusal::ArgumentCount(kMethodName, 1, argCount));
  if (args[0].type != NPVariantType_String)
    return refusal::Refuse(refusal::ArgumentType(kMethodName, 1, refusal::Expect::String));
  char name[256] = {};
  const NPString& text = args[0].value.stringValue;
  if (text.UTF8Characters)
    memcpy(name, text.UTF8Characters, text.UTF8Length < 255 ? text.UTF8Length : 255);
  if (strcmp(name, kControlFileName) != 0)
    return refusal::Refuse(refusal::ArgumentText(kMethodName, 1, kControlFileName));
  if (!m_pPlugin) return false;
  if (!sitelock::PageMayUseControl(m_pPlugin->Instance(), kMethodName)) return false;
  m_pPlugin->CreateAxControl();
  WriteLog(L"npZumiPictavoEx.txt", L"npCreateAxControl");
  return true;
}
