// The update flow's side of the download component: owns the component
// while a download by engine runs.
#pragma once

#include <cstdint>
#include <memory>

#include "download/IDownload.h"

class CZumiDownload : public Download::CDownloadNotify {
 public:
  CZumiDownload() = default;
  ~CZumiDownload() override;
  CZumiDownload(const CZumiDownload&) = delete;
  CZumiDownload& operator=(const CZumiDownload&) = delete;

 protected:
  // Logs "DestoryDownloader." and deletes the component, if there is one.
  void DestroyDownloader();

  std::unique_ptr<Download::CIDownload> m_pDownload;
  uint32_t m_uiCustomId = 0;
};
