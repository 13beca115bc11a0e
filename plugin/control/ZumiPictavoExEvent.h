// CZumiPictavoExEvent: the sink of the upload control's events
// (_IPictavoExEvents). Every event has a row in the sink table and a virtual
// handler; the handlers here refuse (E_NOTIMPL) and a derived class
// overrides the ones it wants. The sink is not reference counted: it lives
// exactly as long as the object that contains it.
#pragma once

#include "ZumiPictavoEx.h"
#include "control/disp_event.h"

class CZumiPictavoExEvent : public IDispEventImpl<1, CZumiPictavoExEvent, &DIID__IPictavoExEvents,
                                                  &LIBID_ZUMIPICTAVOEXLib, 1, 0> {
 public:
  CZumiPictavoExEvent() = default;
  virtual ~CZumiPictavoExEvent() = default;

  virtual HRESULT OnSink_UploadSelect(long value1, long value2);
  virtual HRESULT OnSink_UploadResult(BSTR result, BSTR detail);
  virtual HRESULT OnSink_ActiveFrame(long frame);
  virtual HRESULT OnSink_UploadComplete();
  virtual HRESULT OnSink_PrepareToUpload(long value);
  virtual HRESULT OnSink_UploadParams(long value);
  virtual HRESULT OnSink_LeaveControl(long value);
  virtual HRESULT OnSink_UploadOver(long value1, long value2, long value3, long value4,
                                    long value5);
  virtual HRESULT OnSink_PrepareToAddPhoto();
  virtual HRESULT OnSink_HowToDrag();
  virtual HRESULT OnSink_AxInited();
  virtual HRESULT OnSink_StartReadFile(BSTR file);
  virtual HRESULT OnSink_StartCompress(BSTR file);
  virtual HRESULT OnSink_StartUpload(BSTR file);
  virtual HRESULT OnSink_ShowTimeInfo(BSTR text);
  virtual HRESULT OnSink_HideTimeInfo();
  virtual HRESULT OnSink_UploadAllSuccessful();
  virtual HRESULT OnSink_LocalError(long code, BSTR text1, BSTR text2);
  virtual HRESULT OnSink_DataReport(BSTR text, long value);
  virtual HRESULT OnSink_UploadCompleteDataReport(BSTR text, long value);
  virtual HRESULT OnSink_UploadLibDataReport(BSTR text1, long value1, long value2, long value3,
                                             BSTR text2);
  virtual HRESULT OnSink_GiveupFocus();
  virtual HRESULT OnSink_SizeChanged(long value);
  virtual HRESULT OnSink_WaterMarkPreview(BSTR text1, BSTR text2, BSTR text3);
  virtual HRESULT OnSink_UploadReturn(long value);
  virtual HRESULT OnSink_UploadProgress(long value1, long value2, long value3);
  virtual HRESULT OnSink_UsbNotRead();
  virtual HRESULT OnSlientSink_StartUpload(BSTR text);
  virtual HRESULT OnSlientSink_StopUpload(long value);
  virtual HRESULT OnSlientSink_Progress(long value);
  virtual HRESULT OnSlientSink_Complete(BSTR text);
  virtual HRESULT OnSlientSink_Error(BSTR text);

  // The sink table: one row per event, in DISPID order.
  static const dispevent::SinkEntry<CZumiPictavoExEvent>* SinkMap(size_t* count);
};
