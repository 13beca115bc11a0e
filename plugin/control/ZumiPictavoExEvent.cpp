#include "control/ZumiPictavoExEvent.h"

namespace {

using Entry = dispevent::SinkEntry<CZumiPictavoExEvent>;

// No row carries a parameter description: the types come from the control's
// registered type library.
template <auto Handler>
constexpr Entry Row(DISPID id) {
  return Entry{1, &DIID__IPictavoExEvents, id, &dispevent::Forwarder<Handler>::Call, nullptr};
}

const Entry kSinkMap[] = {
    Row<&CZumiPictavoExEvent::OnSink_UploadSelect>(1),
    Row<&CZumiPictavoExEvent::OnSink_UploadResult>(2),
    Row<&CZumiPictavoExEvent::OnSink_ActiveFrame>(3),
    Row<&CZumiPictavoExEvent::OnSink_UploadComplete>(4),
    Row<&CZumiPictavoExEvent::OnSink_PrepareToUpload>(5),
    Row<&CZumiPictavoExEvent::OnSink_UploadParams>(6),
    Row<&CZumiPictavoExEvent::OnSink_LeaveControl>(7),
    Row<&CZumiPictavoExEvent::OnSink_UploadOver>(8),
    Row<&CZumiPictavoExEvent::OnSink_PrepareToAddPhoto>(9),
    Row<&CZumiPictavoExEvent::OnSink_HowToDrag>(10),
    Row<&CZumiPictavoExEvent::OnSlientSink_StartUpload>(11),
    Row<&CZumiPictavoExEvent::OnSlientSink_StopUpload>(12),
    Row<&CZumiPictavoExEvent::OnSlientSink_Progress>(13),
    Row<&CZumiPictavoExEvent::OnSlientSink_Complete>(14),
    Row<&CZumiPictavoExEvent::OnSlientSink_Error>(15),
    Row<&CZumiPictavoExEvent::OnSink_ShowTimeInfo>(16),
    Row<&CZumiPictavoExEvent::OnSink_HideTimeInfo>(17),
    Row<&CZumiPictavoExEvent::OnSink_UploadAllSuccessful>(18),
    Row<&CZumiPictavoExEvent::OnSink_LocalError>(19),
    Row<&CZumiPictavoExEvent::OnSink_DataReport>(20),
    Row<&CZumiPictavoExEvent::OnSink_GiveupFocus>(21),
    Row<&CZumiPictavoExEvent::OnSink_UploadLibDataReport>(22),
    Row<&CZumiPictavoExEvent::OnSink_UploadCompleteDataReport>(23),
    Row<&CZumiPictavoExEvent::OnSink_SizeChanged>(24),
    Row<&CZumiPictavoExEvent::OnSink_WaterMarkPreview>(25),
    Row<&CZumiPictavoExEvent::OnSink_UploadReturn>(26),
    Row<&CZumiPictavoExEvent::OnSink_AxInited>(30),
    Row<&CZumiPictavoExEvent::OnSink_StartReadFile>(35),
    Row<&CZumiPictavoExEvent::OnSink_StartCompress>(36),
    Row<&CZumiPictavoExEvent::OnSink_StartUpload>(37),
    Row<&CZumiPictavoExEvent::OnSink_UploadProgress>(40),
    Row<&CZumiPictavoExEvent::OnSink_UsbNotRead>(51),
};
static_assert(sizeof(kSinkMap) / sizeof(kSinkMap[0]) == 32, "one row per event");

}  // namespace

const Entry* CZumiPictavoExEvent::SinkMap(size_t* count) {
  *count = sizeof(kSinkMap) / sizeof(kSinkMap[0]);
  return kSinkMap;
}

HRESULT CZumiPictavoExEvent::OnSink_UploadSelect(long, long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadResult(BSTR, BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_ActiveFrame(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadComplete() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_PrepareToUpload(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadParams(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_LeaveControl(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadOver(long, long, long, long, long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_PrepareToAddPhoto() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_HowToDrag() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_AxInited() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_StartReadFile(BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_StartCompress(BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_StartUpload(BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_ShowTimeInfo(BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_HideTimeInfo() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadAllSuccessful() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_LocalError(long, BSTR, BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_DataReport(BSTR, long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadCompleteDataReport(BSTR, long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadLibDataReport(BSTR, long, long, long, BSTR) {
  return E_NOTIMPL;
}
HRESULT CZumiPictavoExEvent::OnSink_GiveupFocus() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_SizeChanged(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_WaterMarkPreview(BSTR, BSTR, BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadReturn(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UploadProgress(long, long, long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSink_UsbNotRead() { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSlientSink_StartUpload(BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSlientSink_StopUpload(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSlientSink_Progress(long) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSlientSink_Complete(BSTR) { return E_NOTIMPL; }
HRESULT CZumiPictavoExEvent::OnSlientSink_Error(BSTR) { return E_NOTIMPL; }
