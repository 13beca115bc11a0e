#include "app/zumi_download.h"

#include "log/log_print.h"

CZumiDownload::~CZumiDownload() { DestroyDownloader(); }

void CZumiDownload::DestroyDownloader() {
  if (!m_pDownload) return;
  LogPrint(LOG_MODULE_BRIMLIB, L"DestoryDownloader.");
  m_pDownload.reset();
}
