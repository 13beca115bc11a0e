#include "fund_lock.h"

namespace fund {
namespace lock {

critical_section::critical_section() { InitializeCriticalSection(&m_section); }

critical_section::~critical_section() { DeleteCriticalSection(&m_section); }

void critical_section::enter() { EnterCriticalSection(&m_section); }

void critical_section::leave() { LeaveCriticalSection(&m_section); }

}  // namespace lock
}  // namespace fund
