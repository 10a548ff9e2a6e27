#include "proxylist/revocation_check.h"

#include <wincrypt.h>

bool ServerChainPassesRevocationCheck(HINTERNET request) {
  PCCERT_CHAIN_CONTEXT served = nullptr;
  DWORD size = sizeof(served);
  if (!InternetQueryOptionA(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &served, &size) || !served) {
    return false;
  }
  bool passed = false;
  if (served->cChain > 0 && served->rgpChain[0] && served->rgpChain[0]->cElement > 0) {
    // The server's certificate, with the certificates it sent beside it to build the chain from.
    const PCCERT_CONTEXT leaf = served->rgpChain[0]->rgpElement[0]->pCertContext;
    CERT_CHAIN_PARA parameters = {};
    parameters.cbSize = sizeof(parameters);
    PCCERT_CHAIN_CONTEXT checked = nullptr;
    if (leaf && CertGetCertificateChain(nullptr, leaf, nullptr, leaf->hCertStore, &parameters,
                                        CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT, nullptr, &checked)) {
      passed = checked->TrustStatus.dwErrorStatus == CERT_TRUST_NO_ERROR;
      CertFreeCertificateChain(checked);
    }
  }
  CertFreeCertificateChain(served);
  return passed;
}
