// trust_test_root.exe CERTIFICATE.der: makes a test authority a trusted root of the Wine prefix (local
// machine "Root" store; the tests' prefix is fresh each run). Run it before the processes that are to
// trust it: a root added inside a process is not seen by that process's own downloads.
#include <windows.h>
#include <wincrypt.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  const char* path = argc == 2 ? argv[1] : "";
  std::ifstream file(path, std::ios::binary);
  const std::string der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
  const bool added = store && CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                               reinterpret_cast<const BYTE*>(der.data()), der.size(),
                                                               CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  if (!added) std::fprintf(stderr, "trust_test_root: cannot trust %s (error %lu)\n", path, GetLastError());
  return store && CertCloseStore(store, 0) && added ? 0 : 1;
}
