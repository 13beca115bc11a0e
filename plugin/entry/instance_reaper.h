// Instances whose NPP_Destroy came while they were busy (a control event or a
// script call on the stack) are torn down later, from the thread's message
// loop, once every call into them has returned.
#pragma once

class CPlugin;

namespace reaper {

// Queues the instance for tear-down; false when no message can be posted.
bool Later(CPlugin* plugin);
// Tears down every queued instance that is no longer busy (also called from
// the message). NP_Shutdown passes `all` to end the rest as well.
void ReapNow(bool all);
// Removes the message window and its class; for the module's unload.
void Close();

}  // namespace reaper
