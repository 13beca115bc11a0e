#include "control/ZumiPictavoExEvent.h"

namespace {

using Entry = dispevent::SinkEntry<CZumiPictavoExEvent>;

// No row carries a parameter description: the types come from the control's
// registered type library.
template <auto Handler>
constexpr Entry Row(DISPID id) {
  return Entry{1, &DIID__IPictavoExEvents, id, &dispevent::Forwarder<Handler>::Call, nullptr};
}

#define PICTAVOEX_SINK_ROW(id, name, ...) Row<&CZumiPictavoExEvent::name>(id),
const Entry kSinkMap[] = {PICTAVOEX_EVENTS(PICTAVOEX_SINK_ROW)};
#undef PICTAVOEX_SINK_ROW
static_assert(sizeof(kSinkMap) / sizeof(kSinkMap[0]) == 32, "one row per event");

// Consumes a default handler's arguments.
template <typename... Args>
HRESULT NotHandled(Args...) {
  return E_NOTIMPL;
}

}  // namespace

const Entry* CZumiPictavoExEvent::SinkMap(size_t* count) {
  *count = sizeof(kSinkMap) / sizeof(kSinkMap[0]);
  return kSinkMap;
}

#define PICTAVOEX_DEFAULT_HANDLER(id, name, params, args, ...) \
  HRESULT CZumiPictavoExEvent::name params { return NotHandled args; }
PICTAVOEX_EVENTS(PICTAVOEX_DEFAULT_HANDLER)
#undef PICTAVOEX_DEFAULT_HANDLER
