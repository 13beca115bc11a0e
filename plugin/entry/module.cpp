#include "entry/module.h"

#include "control/ax_host.h"
#include "entry/instance_reaper.h"

namespace {

HMODULE g_module = nullptr;

}  // namespace

HMODULE PluginModule() { return g_module; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  // Host window classes point into this module: they must not outlive an
  // unload while the process goes on (no clean-up at process exit).
  if (reason == DLL_PROCESS_DETACH && !reserved) {
    reaper::Close();
    axhost::UnregisterHostClasses();
  }
  return TRUE;
}
