#include "support/test_certificate.h"

#include <windows.h>
// windows.h first: wincrypt.h builds on it.
#include <wincrypt.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace sw::test {
namespace {

// The subject with_update_server.sh gives the certificate.
constexpr wchar_t kTestSubject[] = L"Sweepwise test server";

}  // namespace

bool TrustTestCertificate(std::string_view pem) {
  DWORD size = 0;
  const auto length = static_cast<DWORD>(pem.size());
  if (!CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
    return false;
  }
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr)) {
    return false;
  }
  // The registry store itself: Wine's system "Root" store is a copy made when it opens.
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (store == nullptr) {
    return false;
  }
  for (;;) {
    PCCERT_CONTEXT old = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_STR_W,
                                                    kTestSubject, nullptr);
    if (old == nullptr) {
      break;
    }
    CertDeleteCertificateFromStore(old);  // frees the context too
  }
  const bool added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
  // The registry store writes what it holds when it is closed.
  CertCloseStore(store, 0);
  return added;
}

bool TrustTestServerCertificate() {
  static const bool trusted = [] {
    const char* pem = std::getenv("SWEEPWISE_TEST_TLS_CERT_PEM");
    return pem == nullptr || TrustTestCertificate(pem);
  }();
  return trusted;
}

}  // namespace sw::test
