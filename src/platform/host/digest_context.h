#pragma once
// An OpenSSL message digest context that frees itself, for the digests and signatures of the
// update check.

#include <openssl/evp.h>

#include <memory>

namespace sw::platform {

struct DigestContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

}  // namespace sw::platform
