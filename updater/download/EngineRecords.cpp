#include "EngineRecords.h"

#include <cstring>

namespace Download {

namespace {

// Small files are those the engine fetches in one go.
const uint64_t kSmallFileLimit = 204800;

// Host names of the download network, one per endpoint field.
const char kDownloadServer[] = "dl.zumidownload.orvane.com";
const char kTcpServer[] = "tcp.zumidownload.orvane.com";
const char kStunServer[] = "stun.zumidownload.orvane.com";
const char kNetworkServer[] = "net.zumidownload.orvane.com";
const char kHelloServer[] = "hello.zumidownload.orvane.com";
const char kConnectionServer[] = "conn.zumidownload.orvane.com";
const char kSecondConnectionServer[] = "conn2.zumidownload.orvane.com";
const char kReportServer[] = "report.zumidownload.orvane.com";

bool IsCp936LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

template <size_t N>
void CopyWide(char (&field)[N], const std::wstring& text, Cp936Encoder encode) {
  CopyTextField(field, N, encode(text));
}

void SetEndpoint(HostEndpoint& endpoint, const char* host, uint16_t usPort) {
  CopyTextField(endpoint.szHost, sizeof(endpoint.szHost), host);
  endpoint.usPort = usPort;
}

}  // namespace

void CopyTextField(char* field, size_t fieldSize, const std::string& cp936Text) {
  if (fieldSize == 0) return;
  size_t limit = fieldSize - 1;
  size_t length = 0;
  while (length < cp936Text.size()) {
    unsigned char byte = static_cast<unsigned char>(cp936Text[length]);
    size_t charSize = IsCp936LeadByte(byte) && length + 1 < cp936Text.size() ? 2 : 1;
    if (length + charSize > limit) break;
    length += charSize;
  }
  std::memcpy(field, cp936Text.data(), length);
  std::memset(field + length, 0, fieldSize - length);
}

size_t FieldTextLength(const char* field, size_t fieldSize) {
  const void* zero = std::memchr(field, 0, fieldSize);
  return zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : fieldSize;
}

EngineTaskRecord BuildEngineTaskRecord(const TaskInfo& task, uint32_t uiCustomID,
                                       Cp936Encoder encode) {
  EngineTaskRecord record;
  std::memset(&record, 0, sizeof(record));
  record.iReserved1 = 5;
  record.iReserved2 = 5;
  record.iReserved3 = 32;
  record.byOption1 = 1;
  record.byOption3 = 1;
  record.byReserved6 = 1;
  record.iOption = -1;

  CopyWide(record.szUrl, task.strUrl, encode);
  CopyWide(record.szFileName, task.strFileName, encode);
  CopyWide(record.szExtra1, task.strExtra1, encode);
  CopyWide(record.szExtra2, task.strExtra2, encode);
  CopyWide(record.szExtra3, task.strExtra3, encode);
  CopyWide(record.szExtra4, task.strExtra4, encode);
  bool smallBySize = task.ullFileSize > 0 && task.ullFileSize < kSmallFileLimit;
  record.bySmallFile = (task.bSmallFile != 0 || smallBySize) ? 1 : 0;
  record.byOption1 = static_cast<uint8_t>(task.bOption1 & 0xFF);
  record.byOption3 = static_cast<uint8_t>(task.bOption3 & 0xFF);
  record.byOption2 = static_cast<uint8_t>(task.bOption2 & 0xFF);
  record.iOption = task.iOption;
  record.uiCustomID = uiCustomID;
  record.uiFileSizeLow = static_cast<uint32_t>(task.ullFileSize & 0xFFFFFFFFu);
  record.uiFileSizeHigh = static_cast<uint32_t>(task.ullFileSize >> 32);
  record.auiOption[0] = task.uiOption1;
  record.auiOption[1] = task.uiOption2;
  record.auiOption[2] = task.uiOption3;
  record.auiOption[3] = task.uiOption4;
  record.auiOption[4] = task.uiOption5;
  record.byTaskFlags = task.byTaskFlags;
  return record;
}

EngineProxyRecord BuildEngineProxyRecord(const ProxyInfo& proxy, Cp936Encoder encode) {
  EngineProxyRecord record;
  std::memset(&record, 0, sizeof(record));
  record.eProxyType = proxy.eProxyType;
  CopyWide(record.szProxyIP, proxy.strProxyIP, encode);
  record.usProxyPort = proxy.usProxyPort;
  CopyWide(record.szProxyExtra1, proxy.strProxyExtra1, encode);
  CopyWide(record.szProxyExtra2, proxy.strProxyExtra2, encode);
  CopyWide(record.szProxyExtra3, proxy.strProxyExtra3, encode);
  return record;
}

ClientRegistration BuildClientRegistration(uint32_t uiProcessId, uint32_t uiCustomID) {
  ClientRegistration record;
  std::memset(&record, 0, sizeof(record));
  record.uiProcessId = uiProcessId;
  record.uiCustomID = uiCustomID;
  return record;
}

InProcessConfig BuildInProcessConfig() {
  InProcessConfig config;
  std::memset(&config, 0, sizeof(config));
  config.usValue5099 = 5099;
  config.uiValue10 = 10;
  config.uiValue1500 = 1500;
  config.uiValue4 = 4;
  config.uiValue4096 = 4096;
  SetEndpoint(config.downloadServer, kDownloadServer, 8000);
  SetEndpoint(config.tcpServer, kTcpServer, 443);
  SetEndpoint(config.stunServer, kStunServer, 8000);
  SetEndpoint(config.networkServer, kNetworkServer, 8000);
  SetEndpoint(config.networkServerAgain, kNetworkServer, 80);
  SetEndpoint(config.helloServer, kHelloServer, 8000);
  config.usHelloSecondPort = 443;
  SetEndpoint(config.connectionServer, kConnectionServer, 443);
  SetEndpoint(config.secondConnectionServer, kSecondConnectionServer, 443);
  SetEndpoint(config.reportServer, kReportServer, 443);
  config.uiValue16a = 16;
  config.uiValue16b = 16;
  return config;
}

void CompleteInProcessConfig(InProcessConfig& config, int iRandom1, int iRandom2,
                             uint32_t uiCallback, uint32_t uiCustomID) {
  auto spread = [](int value) { return static_cast<uint16_t>(((value % 1000) + 1000) % 1000); };
  config.usRandomPort1 = static_cast<uint16_t>(8000 + spread(iRandom1));
  config.usRandomPort2 = static_cast<uint16_t>(30000 + spread(iRandom2));
  config.uiCallback = uiCallback;
  config.uiCustomID = uiCustomID;
  config.byFinal = 15;
}

InProcessSettings BuildInProcessSettings() {
  InProcessSettings settings;
  std::memset(&settings, 0, sizeof(settings));
  settings.auiValues[0] = 10;
  settings.auiValues[1] = 5000;
  settings.auiValues[2] = 5;
  settings.auiValues[3] = 30;
  return settings;
}

CallbackRegistration BuildCallbackRegistration(uint32_t uiCallback, uint32_t uiCustomID) {
  CallbackRegistration record;
  std::memset(&record, 0, sizeof(record));
  record.uiCallback = uiCallback;
  record.uiCustomID = uiCustomID;
  return record;
}

}  // namespace Download
