#include "app/tls_verify.h"

#define SECURITY_WIN32
#include <windows.h>
#include <wincrypt.h>
#include <schannel.h>
#include <security.h>

#include <memory>

namespace {

struct CertContextFree {
  void operator()(const CERT_CONTEXT* context) const { CertFreeCertificateContext(context); }
};
struct CertChainFree {
  void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};
using CertContext = std::unique_ptr<const CERT_CONTEXT, CertContextFree>;
using CertChain = std::unique_ptr<const CERT_CHAIN_CONTEXT, CertChainFree>;

CertContext RemoteCertificate(CtxtHandle* context) {
  PCCERT_CONTEXT remote = nullptr;
  if (QueryContextAttributesW(context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK) {
    return CertContext();
  }
  return CertContext(remote);
}

CertChain BuildChain(const CERT_CONTEXT* certificate) {
  CERT_CHAIN_PARA parameters = {};
  parameters.cbSize = sizeof parameters;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &parameters,
                               0, nullptr, &chain)) {
    return CertChain();
  }
  return CertChain(chain);
}

bool PassesSslPolicy(const CERT_CHAIN_CONTEXT* chain, const std::wstring& host) {
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof status;
  return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
         status.dwError == 0;
}

}  // namespace

bool VerifyServerCertificate(void* securityContext, const std::wstring& host) {
  if (securityContext == nullptr || host.empty()) return false;
  CertContext remote = RemoteCertificate(static_cast<CtxtHandle*>(securityContext));
  if (!remote) return false;
  CertChain chain = BuildChain(remote.get());
  return chain && PassesSslPolicy(chain.get(), host);
}
