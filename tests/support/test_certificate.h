#pragma once
// The tests' own HTTPS server shows a certificate made for one run (with_update_server.sh).
// Under Wine, WinINet trusts what the prefix's root store holds: the Windows tests add the
// certificate there before their first request, in the sandboxed prefix only.

#include <string_view>

namespace sw::test {

// Adds the PEM certificate to the machine's root store of this (Wine) prefix, after taking
// out the test server's certificates that have expired, so the store does not grow run by
// run. False when it could not be added or the system does not trust it once added.
bool TrustTestCertificate(std::string_view pem);

// TrustTestCertificate with the certificate named in SWEEPWISE_TEST_TLS_CERT_PEM, once per
// process; true when there is none to add.
bool TrustTestServerCertificate();

}  // namespace sw::test
