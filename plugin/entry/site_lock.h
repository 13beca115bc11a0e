// The site lock: only pages of the maker's domains, and of the origins the
// site policy lists, may have the upload control. The page's origin comes
// from the browser; the policy is the REG_MULTI_SZ value AllowedOrigins
// under SOFTWARE\ORVANE\ZumiPictavoEx\SiteLock, machine key then user key.
#pragma once

#include <string_view>

#include "entry/npapi_abi.h"

namespace sitelock {

// Whether the page of this instance may use the control. A refused page
// gets its reason recorded for `member` (see entry/refusal.h), naming its
// origin, and a line in the diagnostic log.
bool PageMayUseControl(NPP npp, std::string_view member);

}  // namespace sitelock
