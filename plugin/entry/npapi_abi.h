// The browser plug-in ABI (NPAPI) as 32-bit Windows browsers implement it:
// the structures, constants and function tables the plug-in exchanges with the
// browser. Written from the published ABI; the layout checks at the end pin it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define NP_CALLBACK __cdecl
#define NP_EXPORT_CALL __stdcall
#else
#define NP_CALLBACK
#define NP_EXPORT_CALL
#endif

#define NP_VERSION_MAJOR 0
#define NP_VERSION_MINOR 19

typedef unsigned char NPBool;
typedef int16_t NPError;
typedef int16_t NPReason;
typedef char NPUTF8;
typedef void* NPIdentifier;
typedef char* NPMIMEType;

enum : NPError {
  NPERR_BASE = 0,
  NPERR_NO_ERROR = 0,
  NPERR_GENERIC_ERROR = 1,
  NPERR_INVALID_INSTANCE_ERROR = 2,
  NPERR_INVALID_FUNCTABLE_ERROR = 3,
  NPERR_MODULE_LOAD_FAILED_ERROR = 4,
  NPERR_OUT_OF_MEMORY_ERROR = 5,
  NPERR_INVALID_PLUGIN_ERROR = 6,
  NPERR_INVALID_PLUGIN_DIR_ERROR = 7,
  NPERR_INCOMPATIBLE_VERSION_ERROR = 8,
  NPERR_INVALID_PARAM = 9,
  NPERR_INVALID_URL = 10,
  NPERR_FILE_NOT_FOUND = 11,
  NPERR_NO_DATA = 12,
  NPERR_STREAM_NOT_SEEKABLE = 13,
};

// Stream types of NPP_NewStream.
enum : uint16_t { NP_NORMAL = 1, NP_SEEK = 2, NP_ASFILE = 3, NP_ASFILEONLY = 4 };
// Embedding modes of NPP_New.
enum : uint16_t { NP_EMBED = 1, NP_FULL = 2 };

typedef struct _NPP {
  void* pdata;  // plug-in's instance data
  void* ndata;  // browser's instance data
} NPP_t, *NPP;

typedef struct _NPStream {
  void* pdata;
  void* ndata;
  const char* url;
  uint32_t end;
  uint32_t lastmodified;
  void* notifyData;
  const char* headers;
} NPStream;

typedef struct _NPByteRange {
  int32_t offset;
  uint32_t length;
  struct _NPByteRange* next;
} NPByteRange;

typedef struct _NPSavedData {
  int32_t len;
  void* buf;
} NPSavedData;

typedef struct _NPRect {
  uint16_t top;
  uint16_t left;
  uint16_t bottom;
  uint16_t right;
} NPRect;

typedef enum { NPWindowTypeWindow = 1, NPWindowTypeDrawable } NPWindowType;

typedef struct _NPWindow {
  void* window;  // HWND for a windowed plug-in
  int32_t x;
  int32_t y;
  uint32_t width;
  uint32_t height;
  NPRect clipRect;
  NPWindowType type;
} NPWindow;

typedef struct _NPFullPrint {
  NPBool pluginPrinted;
  NPBool printOne;
  void* platformPrint;
} NPFullPrint;

typedef struct _NPEmbedPrint {
  NPWindow window;
  void* platformPrint;
} NPEmbedPrint;

typedef struct _NPPrint {
  uint16_t mode;
  union {
    NPFullPrint fullPrint;
    NPEmbedPrint embedPrint;
  } print;
} NPPrint;

// Values of NPP_GetValue (asked of the plug-in).
typedef enum {
  NPPVpluginNameString = 1,
  NPPVpluginDescriptionString = 2,
  NPPVpluginWindowBool = 3,
  NPPVpluginTransparentBool = 4,
  NPPVjavaClass = 5,
  NPPVpluginWindowSize = 6,
  NPPVpluginTimerInterval = 7,
  NPPVpluginScriptableInstance = (10 << 8),
  NPPVpluginScriptableIID = 11,
  NPPVjavascriptPushCallerBool = 12,
  NPPVpluginKeepLibraryInMemory = 13,
  NPPVpluginNeedsXEmbed = 14,
  NPPVpluginScriptableNPObject = 15,
  NPPVformValue = 16,
  NPPVpluginUrlRequestsDisplayedBool = 17,
  NPPVpluginWantsAllNetworkStreams = 18,
  NPPVpluginNativeAccessibleAtkPlugId = 19,
  NPPVpluginCancelSrcStream = 20,
  NPPVsupportsAdvancedKeyHandling = 21,
  NPPVpluginUsesDOMForCursorBool = 22,
  NPPVpluginDrawingModel = 1000,
} NPPVariable;

// Values of NPN_GetValue (asked of the browser).
typedef enum {
  NPNVxDisplay = 1,
  NPNVxtAppContext = 2,
  NPNVnetscapeWindow = 3,
  NPNVjavascriptEnabledBool = 4,
  NPNVasdEnabledBool = 5,
  NPNVisOfflineBool = 6,
  NPNVserviceManager = (10 << 8),
  NPNVDOMElement = (11 << 8),
  NPNVDOMWindow = (12 << 8),
  NPNVToolkit = (13 << 8),
  NPNVSupportsXEmbedBool = 14,
  NPNVWindowNPObject = 15,
  NPNVPluginElementNPObject = 16,
  NPNVSupportsWindowless = 17,
  NPNVprivateModeBool = 18,
  NPNVsupportsAdvancedKeyHandling = 21,
  NPNVdocumentOrigin = 22,
} NPNVariable;

// Scripting: objects, identifiers and variants.
typedef struct NPObject NPObject;
typedef struct NPClass NPClass;

typedef struct _NPString {
  const NPUTF8* UTF8Characters;
  uint32_t UTF8Length;
} NPString;

typedef enum {
  NPVariantType_Void = 0,
  NPVariantType_Null = 1,
  NPVariantType_Bool = 2,
  NPVariantType_Int32 = 3,
  NPVariantType_Double = 4,
  NPVariantType_String = 5,
  NPVariantType_Object = 6,
} NPVariantType;

typedef struct _NPVariant {
  NPVariantType type;
  union {
    bool boolValue;
    int32_t intValue;
    double doubleValue;
    NPString stringValue;
    NPObject* objectValue;
  } value;
} NPVariant;

typedef NPObject*(NP_CALLBACK* NPAllocateFunctionPtr)(NPP npp, NPClass* aClass);
typedef void(NP_CALLBACK* NPDeallocateFunctionPtr)(NPObject* npobj);
typedef void(NP_CALLBACK* NPInvalidateFunctionPtr)(NPObject* npobj);
typedef bool(NP_CALLBACK* NPHasMethodFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool(NP_CALLBACK* NPInvokeFunctionPtr)(NPObject* npobj, NPIdentifier name,
                                               const NPVariant* args, uint32_t argCount,
                                               NPVariant* result);
typedef bool(NP_CALLBACK* NPInvokeDefaultFunctionPtr)(NPObject* npobj, const NPVariant* args,
                                                      uint32_t argCount, NPVariant* result);
typedef bool(NP_CALLBACK* NPHasPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool(NP_CALLBACK* NPGetPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name,
                                                    NPVariant* result);
typedef bool(NP_CALLBACK* NPSetPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name,
                                                    const NPVariant* value);
typedef bool(NP_CALLBACK* NPRemovePropertyFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool(NP_CALLBACK* NPEnumerationFunctionPtr)(NPObject* npobj, NPIdentifier** value,
                                                    uint32_t* count);
typedef bool(NP_CALLBACK* NPConstructFunctionPtr)(NPObject* npobj, const NPVariant* args,
                                                  uint32_t argCount, NPVariant* result);

#define NP_CLASS_STRUCT_VERSION 3

struct NPClass {
  uint32_t structVersion;
  NPAllocateFunctionPtr allocate;
  NPDeallocateFunctionPtr deallocate;
  NPInvalidateFunctionPtr invalidate;
  NPHasMethodFunctionPtr hasMethod;
  NPInvokeFunctionPtr invoke;
  NPInvokeDefaultFunctionPtr invokeDefault;
  NPHasPropertyFunctionPtr hasProperty;
  NPGetPropertyFunctionPtr getProperty;
  NPSetPropertyFunctionPtr setProperty;
  NPRemovePropertyFunctionPtr removeProperty;
  NPEnumerationFunctionPtr enumerate;
  NPConstructFunctionPtr construct;
};

struct NPObject {
  NPClass* _class;
  uint32_t referenceCount;
  // Plug-in specific data follows.
};

// Plug-in callbacks, handed to the browser by NP_GetEntryPoints.
typedef NPError(NP_CALLBACK* NPP_NewProcPtr)(NPMIMEType pluginType, NPP instance, uint16_t mode,
                                             int16_t argc, char* argn[], char* argv[],
                                             NPSavedData* saved);
typedef NPError(NP_CALLBACK* NPP_DestroyProcPtr)(NPP instance, NPSavedData** save);
typedef NPError(NP_CALLBACK* NPP_SetWindowProcPtr)(NPP instance, NPWindow* window);
typedef NPError(NP_CALLBACK* NPP_NewStreamProcPtr)(NPP instance, NPMIMEType type, NPStream* stream,
                                                   NPBool seekable, uint16_t* stype);
typedef NPError(NP_CALLBACK* NPP_DestroyStreamProcPtr)(NPP instance, NPStream* stream,
                                                       NPReason reason);
typedef int32_t(NP_CALLBACK* NPP_WriteReadyProcPtr)(NPP instance, NPStream* stream);
typedef int32_t(NP_CALLBACK* NPP_WriteProcPtr)(NPP instance, NPStream* stream, int32_t offset,
                                               int32_t len, void* buffer);
typedef void(NP_CALLBACK* NPP_StreamAsFileProcPtr)(NPP instance, NPStream* stream,
                                                   const char* fname);
typedef void(NP_CALLBACK* NPP_PrintProcPtr)(NPP instance, NPPrint* platformPrint);
typedef int16_t(NP_CALLBACK* NPP_HandleEventProcPtr)(NPP instance, void* event);
typedef void(NP_CALLBACK* NPP_URLNotifyProcPtr)(NPP instance, const char* url, NPReason reason,
                                                void* notifyData);
typedef NPError(NP_CALLBACK* NPP_GetValueProcPtr)(NPP instance, NPPVariable variable,
                                                  void* ret_value);
typedef NPError(NP_CALLBACK* NPP_SetValueProcPtr)(NPP instance, NPNVariable variable, void* value);
typedef NPBool(NP_CALLBACK* NPP_GotFocusPtr)(NPP instance, int direction);
typedef void(NP_CALLBACK* NPP_LostFocusPtr)(NPP instance);
typedef void(NP_CALLBACK* NPP_URLRedirectNotifyPtr)(NPP instance, const char* url, int32_t status,
                                                    void* notifyData);
typedef NPError(NP_CALLBACK* NPP_ClearSiteDataPtr)(const char* site, uint64_t flags,
                                                   uint64_t maxAge);
typedef char**(NP_CALLBACK* NPP_GetSitesWithDataPtr)(void);
typedef void(NP_CALLBACK* NPP_DidCompositePtr)(NPP instance);

typedef struct _NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProcPtr newp;
  NPP_DestroyProcPtr destroy;
  NPP_SetWindowProcPtr setwindow;
  NPP_NewStreamProcPtr newstream;
  NPP_DestroyStreamProcPtr destroystream;
  NPP_StreamAsFileProcPtr asfile;
  NPP_WriteReadyProcPtr writeready;
  NPP_WriteProcPtr write;
  NPP_PrintProcPtr print;
  NPP_HandleEventProcPtr event;
  NPP_URLNotifyProcPtr urlnotify;
  void* javaClass;
  NPP_GetValueProcPtr getvalue;
  NPP_SetValueProcPtr setvalue;
  NPP_GotFocusPtr gotfocus;
  NPP_LostFocusPtr lostfocus;
  NPP_URLRedirectNotifyPtr urlredirectnotify;
  NPP_ClearSiteDataPtr clearsitedata;
  NPP_GetSitesWithDataPtr getsiteswithdata;
  NPP_DidCompositePtr didComposite;
} NPPluginFuncs;

// Browser functions, handed to the plug-in by NP_Initialize.
typedef NPError(NP_CALLBACK* NPN_GetURLProcPtr)(NPP instance, const char* url, const char* window);
typedef NPError(NP_CALLBACK* NPN_PostURLProcPtr)(NPP instance, const char* url, const char* window,
                                                 uint32_t len, const char* buf, NPBool file);
typedef NPError(NP_CALLBACK* NPN_RequestReadProcPtr)(NPStream* stream, NPByteRange* rangeList);
typedef NPError(NP_CALLBACK* NPN_NewStreamProcPtr)(NPP instance, NPMIMEType type,
                                                   const char* window, NPStream** stream);
typedef int32_t(NP_CALLBACK* NPN_WriteProcPtr)(NPP instance, NPStream* stream, int32_t len,
                                               void* buffer);
typedef NPError(NP_CALLBACK* NPN_DestroyStreamProcPtr)(NPP instance, NPStream* stream,
                                                       NPReason reason);
typedef void(NP_CALLBACK* NPN_StatusProcPtr)(NPP instance, const char* message);
typedef const char*(NP_CALLBACK* NPN_UserAgentProcPtr)(NPP instance);
typedef void*(NP_CALLBACK* NPN_MemAllocProcPtr)(uint32_t size);
typedef void(NP_CALLBACK* NPN_MemFreeProcPtr)(void* ptr);
typedef uint32_t(NP_CALLBACK* NPN_MemFlushProcPtr)(uint32_t size);
typedef void(NP_CALLBACK* NPN_ReloadPluginsProcPtr)(NPBool reloadPages);
typedef void*(NP_CALLBACK* NPN_GetJavaEnvProcPtr)(void);
typedef void*(NP_CALLBACK* NPN_GetJavaPeerProcPtr)(NPP instance);
typedef NPError(NP_CALLBACK* NPN_GetURLNotifyProcPtr)(NPP instance, const char* url,
                                                      const char* window, void* notifyData);
typedef NPError(NP_CALLBACK* NPN_PostURLNotifyProcPtr)(NPP instance, const char* url,
                                                       const char* window, uint32_t len,
                                                       const char* buf, NPBool file,
                                                       void* notifyData);
typedef NPError(NP_CALLBACK* NPN_GetValueProcPtr)(NPP instance, NPNVariable variable,
                                                  void* ret_value);
typedef NPError(NP_CALLBACK* NPN_SetValueProcPtr)(NPP instance, NPPVariable variable, void* value);
typedef void(NP_CALLBACK* NPN_InvalidateRectProcPtr)(NPP instance, NPRect* rect);
typedef void(NP_CALLBACK* NPN_InvalidateRegionProcPtr)(NPP instance, void* region);
typedef void(NP_CALLBACK* NPN_ForceRedrawProcPtr)(NPP instance);
typedef NPIdentifier(NP_CALLBACK* NPN_GetStringIdentifierProcPtr)(const NPUTF8* name);
typedef void(NP_CALLBACK* NPN_GetStringIdentifiersProcPtr)(const NPUTF8** names, int32_t nameCount,
                                                           NPIdentifier* identifiers);
typedef NPIdentifier(NP_CALLBACK* NPN_GetIntIdentifierProcPtr)(int32_t intid);
typedef bool(NP_CALLBACK* NPN_IdentifierIsStringProcPtr)(NPIdentifier identifier);
typedef NPUTF8*(NP_CALLBACK* NPN_UTF8FromIdentifierProcPtr)(NPIdentifier identifier);
typedef int32_t(NP_CALLBACK* NPN_IntFromIdentifierProcPtr)(NPIdentifier identifier);
typedef NPObject*(NP_CALLBACK* NPN_CreateObjectProcPtr)(NPP npp, NPClass* aClass);
typedef NPObject*(NP_CALLBACK* NPN_RetainObjectProcPtr)(NPObject* obj);
typedef void(NP_CALLBACK* NPN_ReleaseObjectProcPtr)(NPObject* obj);
typedef bool(NP_CALLBACK* NPN_InvokeProcPtr)(NPP npp, NPObject* obj, NPIdentifier methodName,
                                             const NPVariant* args, uint32_t argCount,
                                             NPVariant* result);
typedef bool(NP_CALLBACK* NPN_InvokeDefaultProcPtr)(NPP npp, NPObject* obj, const NPVariant* args,
                                                    uint32_t argCount, NPVariant* result);
typedef bool(NP_CALLBACK* NPN_EvaluateProcPtr)(NPP npp, NPObject* obj, NPString* script,
                                               NPVariant* result);
typedef bool(NP_CALLBACK* NPN_GetPropertyProcPtr)(NPP npp, NPObject* obj, NPIdentifier propertyName,
                                                  NPVariant* result);
typedef bool(NP_CALLBACK* NPN_SetPropertyProcPtr)(NPP npp, NPObject* obj, NPIdentifier propertyName,
                                                  const NPVariant* value);
typedef bool(NP_CALLBACK* NPN_RemovePropertyProcPtr)(NPP npp, NPObject* obj,
                                                     NPIdentifier propertyName);
typedef bool(NP_CALLBACK* NPN_HasPropertyProcPtr)(NPP npp, NPObject* obj,
                                                  NPIdentifier propertyName);
typedef bool(NP_CALLBACK* NPN_HasMethodProcPtr)(NPP npp, NPObject* obj, NPIdentifier methodName);
typedef void(NP_CALLBACK* NPN_ReleaseVariantValueProcPtr)(NPVariant* variant);
typedef void(NP_CALLBACK* NPN_SetExceptionProcPtr)(NPObject* obj, const NPUTF8* message);
typedef void(NP_CALLBACK* NPN_PushPopupsEnabledStateProcPtr)(NPP npp, NPBool enabled);
typedef void(NP_CALLBACK* NPN_PopPopupsEnabledStateProcPtr)(NPP npp);
typedef bool(NP_CALLBACK* NPN_EnumerateProcPtr)(NPP npp, NPObject* obj, NPIdentifier** identifier,
                                                uint32_t* count);
typedef void(NP_CALLBACK* NPN_PluginThreadAsyncCallProcPtr)(NPP instance, void (*func)(void*),
                                                            void* userData);
typedef bool(NP_CALLBACK* NPN_ConstructProcPtr)(NPP npp, NPObject* obj, const NPVariant* args,
                                                uint32_t argCount, NPVariant* result);
typedef NPError(NP_CALLBACK* NPN_GetValueForURLPtr)(NPP npp, int variable, const char* url,
                                                    char** value, uint32_t* len);
typedef NPError(NP_CALLBACK* NPN_SetValueForURLPtr)(NPP npp, int variable, const char* url,
                                                    const char* value, uint32_t len);
typedef NPError(NP_CALLBACK* NPN_GetAuthenticationInfoPtr)(NPP npp, const char* protocol,
                                                           const char* host, int32_t port,
                                                           const char* scheme, const char* realm,
                                                           char** username, uint32_t* ulen,
                                                           char** password, uint32_t* plen);
typedef uint32_t(NP_CALLBACK* NPN_ScheduleTimerPtr)(NPP instance, uint32_t interval, NPBool repeat,
                                                    void (*timerFunc)(NPP npp, uint32_t timerID));
typedef void(NP_CALLBACK* NPN_UnscheduleTimerPtr)(NPP instance, uint32_t timerID);
typedef NPError(NP_CALLBACK* NPN_PopUpContextMenuPtr)(NPP instance, void* menu);
typedef NPBool(NP_CALLBACK* NPN_ConvertPointPtr)(NPP instance, double sourceX, double sourceY,
                                                 int sourceSpace, double* destX, double* destY,
                                                 int destSpace);
typedef NPBool(NP_CALLBACK* NPN_HandleEventPtr)(NPP instance, void* event, NPBool handled);
typedef NPBool(NP_CALLBACK* NPN_UnfocusInstancePtr)(NPP instance, int direction);
typedef void(NP_CALLBACK* NPN_URLRedirectResponsePtr)(NPP instance, void* notifyData, NPBool allow);
typedef NPError(NP_CALLBACK* NPN_InitAsyncSurfacePtr)(NPP instance, void* size, int format,
                                                      void* initData, void* surface);
typedef NPError(NP_CALLBACK* NPN_FinalizeAsyncSurfacePtr)(NPP instance, void* surface);
typedef void(NP_CALLBACK* NPN_SetCurrentAsyncSurfacePtr)(NPP instance, void* surface,
                                                         NPRect* changed);

typedef struct _NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;
  NPN_GetURLProcPtr geturl;
  NPN_PostURLProcPtr posturl;
  NPN_RequestReadProcPtr requestread;
  NPN_NewStreamProcPtr newstream;
  NPN_WriteProcPtr write;
  NPN_DestroyStreamProcPtr destroystream;
  NPN_StatusProcPtr status;
  NPN_UserAgentProcPtr uagent;
  NPN_MemAllocProcPtr memalloc;
  NPN_MemFreeProcPtr memfree;
  NPN_MemFlushProcPtr memflush;
  NPN_ReloadPluginsProcPtr reloadplugins;
  NPN_GetJavaEnvProcPtr getJavaEnv;
  NPN_GetJavaPeerProcPtr getJavaPeer;
  NPN_GetURLNotifyProcPtr geturlnotify;
  NPN_PostURLNotifyProcPtr posturlnotify;
  NPN_GetValueProcPtr getvalue;
  NPN_SetValueProcPtr setvalue;
  NPN_InvalidateRectProcPtr invalidaterect;
  NPN_InvalidateRegionProcPtr invalidateregion;
  NPN_ForceRedrawProcPtr forceredraw;
  NPN_GetStringIdentifierProcPtr getstringidentifier;
  NPN_GetStringIdentifiersProcPtr getstringidentifiers;
  NPN_GetIntIdentifierProcPtr getintidentifier;
  NPN_IdentifierIsStringProcPtr identifierisstring;
  NPN_UTF8FromIdentifierProcPtr utf8fromidentifier;
  NPN_IntFromIdentifierProcPtr intfromidentifier;
  NPN_CreateObjectProcPtr createobject;
  NPN_RetainObjectProcPtr retainobject;
  NPN_ReleaseObjectProcPtr releaseobject;
  NPN_InvokeProcPtr invoke;
  NPN_InvokeDefaultProcPtr invokeDefault;
  NPN_EvaluateProcPtr evaluate;
  NPN_GetPropertyProcPtr getproperty;
  NPN_SetPropertyProcPtr setproperty;
  NPN_RemovePropertyProcPtr removeproperty;
  NPN_HasPropertyProcPtr hasproperty;
  NPN_HasMethodProcPtr hasmethod;
  NPN_ReleaseVariantValueProcPtr releasevariantvalue;
  NPN_SetExceptionProcPtr setexception;
  NPN_PushPopupsEnabledStateProcPtr pushpopupsenabledstate;
  NPN_PopPopupsEnabledStateProcPtr poppopupsenabledstate;
  NPN_EnumerateProcPtr enumerate;
  NPN_PluginThreadAsyncCallProcPtr pluginthreadasynccall;
  NPN_ConstructProcPtr construct;
  NPN_GetValueForURLPtr getvalueforurl;
  NPN_SetValueForURLPtr setvalueforurl;
  NPN_GetAuthenticationInfoPtr getauthenticationinfo;
  NPN_ScheduleTimerPtr scheduletimer;
  NPN_UnscheduleTimerPtr unscheduletimer;
  NPN_PopUpContextMenuPtr popupcontextmenu;
  NPN_ConvertPointPtr convertpoint;
  NPN_HandleEventPtr handleevent;
  NPN_UnfocusInstancePtr unfocusinstance;
  NPN_URLRedirectResponsePtr urlredirectresponse;
  NPN_InitAsyncSurfacePtr initasyncsurface;
  NPN_FinalizeAsyncSurfacePtr finalizeasyncsurface;
  NPN_SetCurrentAsyncSurfacePtr setcurrentasyncsurface;
} NPNetscapeFuncs;

// The three exports a browser looks up by name.
typedef NPError(NP_EXPORT_CALL* NP_GetEntryPointsFunc)(NPPluginFuncs* pluginFuncs);
typedef NPError(NP_EXPORT_CALL* NP_InitializeFunc)(NPNetscapeFuncs* browserFuncs);
typedef NPError(NP_EXPORT_CALL* NP_ShutdownFunc)(void);

// Variant helpers, as the published headers define them.
#define NPVARIANT_IS_VOID(v) ((v).type == NPVariantType_Void)
#define NPVARIANT_IS_NULL(v) ((v).type == NPVariantType_Null)
#define NPVARIANT_IS_BOOLEAN(v) ((v).type == NPVariantType_Bool)
#define NPVARIANT_IS_INT32(v) ((v).type == NPVariantType_Int32)
#define NPVARIANT_IS_DOUBLE(v) ((v).type == NPVariantType_Double)
#define NPVARIANT_IS_STRING(v) ((v).type == NPVariantType_String)
#define NPVARIANT_IS_OBJECT(v) ((v).type == NPVariantType_Object)

#define VOID_TO_NPVARIANT(v) ((v).type = NPVariantType_Void, (v).value.objectValue = NULL)
#define NULL_TO_NPVARIANT(v) ((v).type = NPVariantType_Null, (v).value.objectValue = NULL)
#define BOOLEAN_TO_NPVARIANT(val, v) ((v).type = NPVariantType_Bool, (v).value.boolValue = !!(val))
#define INT32_TO_NPVARIANT(val, v) ((v).type = NPVariantType_Int32, (v).value.intValue = (val))
#define DOUBLE_TO_NPVARIANT(val, v) ((v).type = NPVariantType_Double, (v).value.doubleValue = (val))
#define STRINGN_TO_NPVARIANT(val, len, v)                                         \
  ((v).type = NPVariantType_String, (v).value.stringValue.UTF8Characters = (val), \
   (v).value.stringValue.UTF8Length = (len))
#define OBJECT_TO_NPVARIANT(val, v) ((v).type = NPVariantType_Object, (v).value.objectValue = (val))

// Layout of the 32-bit ABI. The entry checks of the plug-in rely on these.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(NPVariant) == 16, "NPVariant is 16 bytes");
static_assert(offsetof(NPVariant, value) == 8, "NPVariant value at offset 8");
static_assert(sizeof(NPString) == 8 && offsetof(NPString, UTF8Length) == 4, "NPString");
static_assert(sizeof(NPWindow) == 32, "NPWindow size");
static_assert(offsetof(NPWindow, width) == 12 && offsetof(NPWindow, clipRect) == 20 &&
                  offsetof(NPWindow, type) == 28,
              "NPWindow members");
static_assert(sizeof(NPRect) == 8, "NPRect");
static_assert(sizeof(NPP_t) == 8, "NPP_t");
static_assert(sizeof(NPObject) == 8, "NPObject header");
static_assert(sizeof(NPClass) == 52 && offsetof(NPClass, construct) == 48, "NPClass version 3");
static_assert(offsetof(NPPluginFuncs, newp) == 4 && offsetof(NPPluginFuncs, javaClass) == 48 &&
                  offsetof(NPPluginFuncs, setvalue) == 56,
              "NPPluginFuncs members");
static_assert(offsetof(NPPluginFuncs, setvalue) + 4 == 60, "setvalue, the 14th entry, ends at 60");
static_assert(sizeof(NPPluginFuncs) == 84, "NPPluginFuncs with every published entry");
static_assert(offsetof(NPNetscapeFuncs, geturl) == 4, "NPNetscapeFuncs first entry");
static_assert(offsetof(NPNetscapeFuncs, memalloc) == 4 + 8 * 4, "memalloc, the 9th entry");
static_assert(offsetof(NPNetscapeFuncs, getstringidentifier) == 4 + 21 * 4, "22nd entry");
static_assert(offsetof(NPNetscapeFuncs, createobject) == 4 + 27 * 4, "28th entry");
static_assert(offsetof(NPNetscapeFuncs, invokeDefault) == 4 + 31 * 4, "32nd entry");
static_assert(offsetof(NPNetscapeFuncs, releasevariantvalue) == 4 + 38 * 4, "39th entry");
static_assert(offsetof(NPNetscapeFuncs, setexception) == 4 + 39 * 4, "setexception, the 40th");
static_assert(offsetof(NPNetscapeFuncs, construct) + 4 == 184, "construct, the 45th, ends at 184");
static_assert(sizeof(NPNetscapeFuncs) == 236, "NPNetscapeFuncs with every published entry");
#endif
