#pragma once
// The server's version file and the trust in it. Its lines: 1 the offered version, 2 the
// product name, 3 the release's size in KB, 4 a description of the new features, 5 the
// release's SHA-256 in hexadecimal, 6 the base64 of an ECDSA P-256 / SHA-256 signature (DER,
// as `openssl dgst -sha256 -sign` writes it) of the file's bytes up to and including the
// line end of line 5 (tools/sign-release.sh makes it). Only a file whose signature verifies
// with a trusted key offers anything: the digest that checks the release comes from it, so
// neither the version file nor the release can be forged by whoever serves them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sw::online {

// The largest version file taken in: a few lines of text need far less.
inline constexpr std::size_t kMaxVersionFileBytes = 64 * 1024;
// Beside the program (never in the data folder): the public key of a mirror that signs its
// own builds, trusted besides the vendor's, and protected as the program itself is.
inline constexpr std::string_view kUpdateKeyFile = "update-key.pem";

struct TrustedKey {
  std::string name;  // for messages: "the vendor's key", or the file's path
  std::string pem;
};

// The vendor's key built into the program, then ProgramDir\update-key.pem when there is one.
std::vector<TrustedKey> TrustedUpdateKeys(platform::Platform& platform);

// The vendor's public key (PEM), built into the program.
std::string_view VendorUpdateKey();

struct SignedParts {
  std::string_view signedBytes;  // lines 1 to 5 with their line ends
  std::string_view signature;    // line 6 without its line end (base64)
};

// Splits `file` after the line end of its fifth line; nullopt-like empty signature when the
// file has no sixth line. Lines end with LF or CR LF.
SignedParts SplitSignedVersionFile(std::string_view file);

// Empty when `file` is signed by one of `keys` and names a SHA-256 digest on line 5; else the
// sentence that tells the user why nothing can be offered.
std::string VerifyVersionFile(std::string_view file, const std::vector<TrustedKey>& keys);

}  // namespace sw::online
