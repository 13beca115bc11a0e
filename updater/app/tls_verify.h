// Server certificate check for HTTPS transfers, against the system store.
#pragma once

#include <string>

// `securityContext` is the Schannel context of an established connection
// (a CtxtHandle*). True when the server's chain leads to a trusted root and
// the certificate names `host`.
bool VerifyServerCertificate(void* securityContext, const std::wstring& host);
