// The plug-in module itself.
#pragma once

#include <windows.h>

// The DLL's module handle, kept from process attach (window classes are
// registered with it).
HMODULE PluginModule();
