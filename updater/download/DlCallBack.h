// The in-process engine's way back into the update service: it calls slot 0
// of this object, as an ordinary member function, from threads of its own.
#pragma once

#include <cstdint>

namespace DownloadProxy {

class DlCallBack {
 public:
  // iCode: engine event code; iEngineTaskId: the engine's task id; pPayload:
  // the event's bytes, or for some codes the event's value itself.
  virtual long OnEngineEvent(int32_t iCode, int32_t iEngineTaskId, void* pPayload) = 0;

 protected:
  // Never deleted through this type: the engine only calls slot 0, and a
  // virtual destructor here would move it.
  ~DlCallBack() = default;
};

}  // namespace DownloadProxy
