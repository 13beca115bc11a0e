/* Compile-time check of the engine interfaces' vtables: the update service
 * calls both engines through these positions only. A change of order in the
 * interface definition breaks the build. */
#include <stddef.h>
#include "DownloadEngine.h"

#define SLOT(iface, member, position)                                         \
  _Static_assert(offsetof(iface##Vtbl, member) == (position) * sizeof(void*), \
                 #iface "::" #member " at " #position)

SLOT(IDownloadCore, QueryInterface, 0);
SLOT(IDownloadCore, Release, 2);
SLOT(IDownloadCore, Initialize, 3);
SLOT(IDownloadCore, Close, 4);
SLOT(IDownloadCore, CreateTask, 5);
SLOT(IDownloadCore, SetUploadSpeed, 12);
SLOT(IDownloadCore, SetProxy, 19);
SLOT(IDownloadCore, SetDownloadSpeed, 23);
SLOT(IDownloadCore, ApplySettings, 48);
SLOT(IDownloadCore, SetSafeMode, 49);
SLOT(IDownloadCore, RegisterCallback, 67);
SLOT(IDownloadCore, TaskRegistered, 69);
SLOT(IDownloadCore, DeleteTask, 70);

SLOT(IDownloader, Invoke, 6);
SLOT(IDownloader, RegisterClient, 7);
SLOT(IDownloader, Close, 8);
SLOT(IDownloader, CreateTask, 9);
SLOT(IDownloader, DeleteTask, 10);
SLOT(IDownloader, SetProxy, 11);
SLOT(IDownloader, SetDownloadSpeed, 12);
SLOT(IDownloader, SetUploadSpeed, 13);
SLOT(IDownloader, SetSafeMode, 14);
