// trust_test_root.exe CERTIFICATE.der: makes a test authority a trusted root of the Wine prefix (local
// machine "Root" store), replacing earlier ones of its name. Run it before the processes that are to
// trust it: a root added inside a process is not seen by that process's own downloads.
#include <windows.h>
#include <wincrypt.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  std::ifstream file(argc == 2 ? argv[1] : "", std::ios::binary);
  const std::string der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  PCCERT_CONTEXT root = CertCreateCertificateContext(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                                     static_cast<DWORD>(der.size()));
  HCERTSTORE store =
      root ? CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root") : nullptr;
  bool added = false;
  if (store) {
    // Deleting a certificate frees its context, so the search starts again after each one.
    while (PCCERT_CONTEXT old = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                                           &root->pCertInfo->Subject, nullptr)) {
      if (!CertDeleteCertificateFromStore(old)) break;
    }
    // Wine writes the store's changes to the registry at its closing only when nothing else holds
    // it, which a deleted certificate's context still does: commit them explicitly.
    added = CertAddCertificateContextToStore(store, root, CERT_STORE_ADD_REPLACE_EXISTING, nullptr) &&
            CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(store, 0);
  }
  if (!added) std::fprintf(stderr, "trust_test_root: cannot trust %s (error %lu)\n", argc == 2 ? argv[1] : "", GetLastError());
  if (root) CertFreeCertificateContext(root);
  return added ? 0 : 1;
}
