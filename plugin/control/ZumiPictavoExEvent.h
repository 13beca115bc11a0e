// CZumiPictavoExEvent: the sink of the upload control's events
// (_IPictavoExEvents). Every event of control/pictavoex_events.h has a row in
// the sink table and a virtual handler; the handlers here refuse (E_NOTIMPL)
// and a derived class overrides the ones it wants. The sink is not reference counted: it lives
// exactly as long as the object that contains it.
#pragma once

#include "ZumiPictavoEx.h"
#include "control/disp_event.h"
#include "control/pictavoex_events.h"

class CZumiPictavoExEvent : public IDispEventImpl<1, CZumiPictavoExEvent, &DIID__IPictavoExEvents,
                                                  &LIBID_ZUMIPICTAVOEXLib, 1, 0> {
 public:
  CZumiPictavoExEvent() = default;
  virtual ~CZumiPictavoExEvent() = default;

#define PICTAVOEX_SINK_HANDLER(id, name, params, ...) virtual HRESULT name params;
  PICTAVOEX_EVENTS(PICTAVOEX_SINK_HANDLER)
#undef PICTAVOEX_SINK_HANDLER

  // The sink table: one row per event, in DISPID order.
  static const dispevent::SinkEntry<CZumiPictavoExEvent>* SinkMap(size_t* count);
};
