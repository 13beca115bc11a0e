// The fixed binary records exchanged with the download engine. Every record
// is byte-aligned, little-endian, zero-filled before use, and its text fields
// are zero-terminated code page 936 strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Cp936Text.h"
#include "TaskInfo.h"

namespace Download {

#pragma pack(push, 1)

struct EngineTaskRecord {
  int32_t iTaskId;
  char szUrl[4100];
  char szFileName[260];
  char szExtra1[4100];
  char szExtra2[4096];
  int32_t iReserved1;  // 5
  int32_t iReserved2;  // 5
  int32_t iReserved3;  // 32
  char szExtra3[32];
  char szExtra4[32];
  int32_t aiReserved4[3];
  uint8_t bySmallFile;
  uint8_t byOption1;
  uint8_t byOption3;
  uint8_t byOption2;
  int32_t aiReserved5[2];
  uint8_t byReserved6;  // 1
  int32_t iOption;
  uint32_t uiCustomID;
  int32_t aiReserved7[2];
  uint32_t uiFileSizeLow;
  uint32_t uiFileSizeHigh;
  uint32_t auiOption[5];
  uint8_t abyReserved8[64];
  uint32_t uiCallback;  // DownloadProxy::DlCallBack*, in-process engine only
  uint8_t abyReserved9[11];
  uint8_t byTaskFlags;
  uint8_t abyReserved10[8];
};

struct EngineProxyRecord {
  int32_t eProxyType;
  char szProxyIP[4100];
  uint16_t usProxyPort;
  char szProxyExtra1[32];
  char szProxyExtra2[32];
  char szProxyExtra3[256];
};

struct ClientRegistration {
  uint32_t uiProcessId;
  uint32_t uiCustomID;
  uint8_t abyReserved[128];
};

struct HostEndpoint {
  char szHost[256];
  uint16_t usPort;
};

struct InProcessConfig {
  uint8_t abyReserved1[4];
  uint16_t usValue5099;
  uint32_t uiValue10;
  uint32_t uiValue1500;
  uint32_t uiValue4;
  uint32_t uiCallback;  // DownloadProxy::DlCallBack*
  uint32_t uiValue4096;
  uint8_t abyReserved2[528];
  uint32_t uiZero1;
  uint16_t usRandomPort1;  // 8000 + 0..999
  uint32_t uiZero2;
  uint16_t usRandomPort2;  // 30000 + 0..999
  HostEndpoint downloadServer;
  HostEndpoint tcpServer;
  uint8_t byZero;
  HostEndpoint stunServer;
  HostEndpoint networkServer;
  HostEndpoint networkServerAgain;
  HostEndpoint helloServer;
  uint16_t usHelloSecondPort;
  HostEndpoint connectionServer;
  HostEndpoint secondConnectionServer;
  HostEndpoint reportServer;
  uint32_t uiCustomID;
  uint8_t abyReserved3[13];
  uint32_t uiValue16a;
  uint32_t uiValue16b;
  uint8_t abyReserved4[3];
  uint8_t byFinal;  // 15
};

struct InProcessSettings {
  uint32_t auiValues[4];  // 10, 5000, 5, 30
  uint8_t abyReserved[36];
};

struct CallbackRegistration {
  uint32_t uiCallback;  // DownloadProxy::DlCallBack*
  uint32_t uiCustomID;
  uint8_t abyReserved[1024];
};

#pragma pack(pop)

static_assert(sizeof(EngineTaskRecord) == 12793, "task record size");
static_assert(offsetof(EngineTaskRecord, szUrl) == 4, "");
static_assert(offsetof(EngineTaskRecord, szFileName) == 4104, "");
static_assert(offsetof(EngineTaskRecord, szExtra1) == 4364, "");
static_assert(offsetof(EngineTaskRecord, szExtra2) == 8464, "");
static_assert(offsetof(EngineTaskRecord, iReserved1) == 12560, "");
static_assert(offsetof(EngineTaskRecord, iReserved2) == 12564, "");
static_assert(offsetof(EngineTaskRecord, iReserved3) == 12568, "");
static_assert(offsetof(EngineTaskRecord, szExtra3) == 12572, "");
static_assert(offsetof(EngineTaskRecord, szExtra4) == 12604, "");
static_assert(offsetof(EngineTaskRecord, aiReserved4) == 12636, "");
static_assert(offsetof(EngineTaskRecord, bySmallFile) == 12648, "");
static_assert(offsetof(EngineTaskRecord, byOption1) == 12649, "");
static_assert(offsetof(EngineTaskRecord, byOption3) == 12650, "");
static_assert(offsetof(EngineTaskRecord, byOption2) == 12651, "");
static_assert(offsetof(EngineTaskRecord, aiReserved5) == 12652, "");
static_assert(offsetof(EngineTaskRecord, byReserved6) == 12660, "");
static_assert(offsetof(EngineTaskRecord, iOption) == 12661, "");
static_assert(offsetof(EngineTaskRecord, uiCustomID) == 12665, "");
static_assert(offsetof(EngineTaskRecord, aiReserved7) == 12669, "");
static_assert(offsetof(EngineTaskRecord, uiFileSizeLow) == 12677, "");
static_assert(offsetof(EngineTaskRecord, uiFileSizeHigh) == 12681, "");
static_assert(offsetof(EngineTaskRecord, auiOption) == 12685, "");
static_assert(offsetof(EngineTaskRecord, abyReserved8) == 12705, "");
static_assert(offsetof(EngineTaskRecord, uiCallback) == 12769, "");
static_assert(offsetof(EngineTaskRecord, abyReserved9) == 12773, "");
static_assert(offsetof(EngineTaskRecord, byTaskFlags) == 12784, "");
static_assert(offsetof(EngineTaskRecord, abyReserved10) == 12785, "");

static_assert(sizeof(EngineProxyRecord) == 4426, "proxy record size");
static_assert(offsetof(EngineProxyRecord, szProxyIP) == 4, "");
static_assert(offsetof(EngineProxyRecord, usProxyPort) == 4104, "");
static_assert(offsetof(EngineProxyRecord, szProxyExtra1) == 4106, "");
static_assert(offsetof(EngineProxyRecord, szProxyExtra2) == 4138, "");
static_assert(offsetof(EngineProxyRecord, szProxyExtra3) == 4170, "");

static_assert(sizeof(ClientRegistration) == 136, "client registration size");
static_assert(offsetof(ClientRegistration, uiCustomID) == 4, "");

static_assert(sizeof(HostEndpoint) == 258, "");
static_assert(sizeof(InProcessConfig) == 2920, "in-process config size");
static_assert(offsetof(InProcessConfig, usValue5099) == 4, "");
static_assert(offsetof(InProcessConfig, uiValue10) == 6, "");
static_assert(offsetof(InProcessConfig, uiValue1500) == 10, "");
static_assert(offsetof(InProcessConfig, uiValue4) == 14, "");
static_assert(offsetof(InProcessConfig, uiCallback) == 18, "");
static_assert(offsetof(InProcessConfig, uiValue4096) == 22, "");
static_assert(offsetof(InProcessConfig, uiZero1) == 554, "");
static_assert(offsetof(InProcessConfig, usRandomPort1) == 558, "");
static_assert(offsetof(InProcessConfig, uiZero2) == 560, "");
static_assert(offsetof(InProcessConfig, usRandomPort2) == 564, "");
static_assert(offsetof(InProcessConfig, downloadServer) == 566, "");
static_assert(offsetof(InProcessConfig, tcpServer) == 824, "");
static_assert(offsetof(InProcessConfig, byZero) == 1082, "");
static_assert(offsetof(InProcessConfig, stunServer) == 1083, "");
static_assert(offsetof(InProcessConfig, networkServer) == 1341, "");
static_assert(offsetof(InProcessConfig, networkServerAgain) == 1599, "");
static_assert(offsetof(InProcessConfig, helloServer) == 1857, "");
static_assert(offsetof(InProcessConfig, usHelloSecondPort) == 2115, "");
static_assert(offsetof(InProcessConfig, connectionServer) == 2117, "");
static_assert(offsetof(InProcessConfig, secondConnectionServer) == 2375, "");
static_assert(offsetof(InProcessConfig, reportServer) == 2633, "");
static_assert(offsetof(InProcessConfig, uiCustomID) == 2891, "");
static_assert(offsetof(InProcessConfig, uiValue16a) == 2908, "");
static_assert(offsetof(InProcessConfig, uiValue16b) == 2912, "");
static_assert(offsetof(InProcessConfig, byFinal) == 2919, "");

static_assert(sizeof(InProcessSettings) == 52, "in-process settings size");
static_assert(sizeof(CallbackRegistration) == 1032, "callback registration size");
static_assert(offsetof(CallbackRegistration, uiCustomID) == 4, "");

// Turns a wide string into the records' code page 936 text. The builders
// take it as a parameter so that they stay free of the platform conversion.
typedef std::string (*Cp936Encoder)(const std::wstring& text);

// Builds the record for a new task from what the client asked for.
EngineTaskRecord BuildEngineTaskRecord(const TaskInfo& task, uint32_t uiCustomID,
                                       Cp936Encoder encode = &WideToCp936);

EngineProxyRecord BuildEngineProxyRecord(const ProxyInfo& proxy,
                                         Cp936Encoder encode = &WideToCp936);

ClientRegistration BuildClientRegistration(uint32_t uiProcessId, uint32_t uiCustomID);

// Everything of the in-process configuration except what changes per start:
// the two random ports, the callback, uiCustomID and the final byte.
InProcessConfig BuildInProcessConfig();

// Fills what changes per start. iRandom1 and iRandom2 are taken modulo 1000.
void CompleteInProcessConfig(InProcessConfig& config, int iRandom1, int iRandom2,
                             uint32_t uiCallback, uint32_t uiCustomID);

InProcessSettings BuildInProcessSettings();

CallbackRegistration BuildCallbackRegistration(uint32_t uiCallback, uint32_t uiCustomID);

// Copies code page 936 text into a field of fieldSize bytes. Text that does
// not fit is cut before the first character that would not fit whole, so a
// double-byte character is never split; the field always stays
// zero-terminated.
void CopyTextField(char* field, size_t fieldSize, const std::string& cp936Text);

// Length of the text in a field: up to its first zero, or fieldSize when the
// field holds no terminator.
size_t FieldTextLength(const char* field, size_t fieldSize);

}  // namespace Download
