// The three NPAPI exports of the plug-in.
#include <windows.h>

#include "entry/npapi_abi.h"

extern "C" {

NPError NP_EXPORT_CALL NP_GetEntryPoints(NPPluginFuncs* funcs) {
  if (!funcs || funcs->size < offsetof(NPPluginFuncs, setvalue) + sizeof(funcs->setvalue))
    return NPERR_INVALID_FUNCTABLE_ERROR;
  funcs->version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  return NPERR_NO_ERROR;
}

NPError NP_EXPORT_CALL NP_Initialize(NPNetscapeFuncs* funcs) {
  if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
  if ((funcs->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  if (funcs->size < offsetof(NPNetscapeFuncs, construct) + sizeof(funcs->construct))
    return NPERR_INVALID_FUNCTABLE_ERROR;
  return NPERR_NO_ERROR;
}

NPError NP_EXPORT_CALL NP_Shutdown(void) { return NPERR_NO_ERROR; }

}  // extern "C"
