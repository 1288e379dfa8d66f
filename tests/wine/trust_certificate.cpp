// Makes the prefix trust the tests' own HTTPS server before a Windows program of ours talks
// to it: the certificate comes in SWEEPWISE_TEST_TLS_CERT_PEM (with_update_server.sh).
// Exit status 0 when it was added or there is none, 1 otherwise.

#include <cstdio>

#include "support/test_certificate.h"

int wmain() {
  if (!sw::test::TrustTestServerCertificate()) {
    std::fputs("the test server's certificate could not be added to the prefix's root store\n", stderr);
    return 1;
  }
  return 0;
}
