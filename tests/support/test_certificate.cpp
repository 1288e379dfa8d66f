#include "support/test_certificate.h"

#include <windows.h>
// windows.h first: wincrypt.h builds on it.
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace sw::test {
namespace {

// The subject with_update_server.sh gives the certificate.
constexpr wchar_t kTestSubject[] = L"Sweepwise test server";

// Whether the system's own chain engine now trusts the certificate, as WinINet will ask it
// to in the program under test; says on stderr what it found wrong when it does not.
bool ChainsToTrustedRoot(const std::vector<BYTE>& der) {
  PCCERT_CONTEXT cert =
      CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
  if (cert == nullptr) {
    return false;
  }
  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof para;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  bool trusted = false;
  if (CertGetCertificateChain(nullptr, cert, nullptr, nullptr, &para, 0, nullptr, &chain)) {
    const DWORD errors = chain->TrustStatus.dwErrorStatus;
    trusted = (errors & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)) == 0;
    if (!trusted) {
      std::fprintf(stderr, "the test server's certificate does not chain to a trusted root (trust status 0x%lx)\n",
                   static_cast<unsigned long>(errors));
    }
    CertFreeCertificateChain(chain);
  } else {
    std::fprintf(stderr, "no chain for the test server's certificate (error %lu)\n",
                 static_cast<unsigned long>(GetLastError()));
  }
  CertFreeCertificateContext(cert);
  return trusted;
}

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
  // Only certificates of the test server that have expired are taken out: every server of a
  // test run makes its own, and a test that trusts its server's while another test of the
  // prefix still talks to the other's must not take that trust away.
  std::vector<PCCERT_CONTEXT> expired;
  PCCERT_CONTEXT found = nullptr;
  while ((found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_STR_W, kTestSubject,
                                             found)) != nullptr) {
    if (CertVerifyTimeValidity(nullptr, found->pCertInfo) > 0) {
      expired.push_back(CertDuplicateCertificateContext(found));
    }
  }
  // Deleted once the search is over: it goes on from the certificate it found last.
  for (PCCERT_CONTEXT cert : expired) {
    CertDeleteCertificateFromStore(cert);  // frees the context too
  }
  const bool added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
  // The registry store writes what it holds when it is closed.
  CertCloseStore(store, 0);
  return added && ChainsToTrustedRoot(der);
}

bool TrustTestServerCertificate() {
  static const bool trusted = [] {
    const char* pem = std::getenv("SWEEPWISE_TEST_TLS_CERT_PEM");
    return pem == nullptr || TrustTestCertificate(pem);
  }();
  return trusted;
}

}  // namespace sw::test
