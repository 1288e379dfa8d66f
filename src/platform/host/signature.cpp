#include "platform/signature.h"

#include <openssl/bio.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <string>

#include "platform/host/digest_context.h"

namespace sw::platform {
namespace {

struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};

using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

// The key of the PEM block when it is an EC key on P-256 (OpenSSL's "prime256v1").
Key ReadP256Key(std::string_view pem) {
  const std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  if (!bio) {
    return nullptr;
  }
  Key key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
  if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_EC) {
    return nullptr;
  }
  char curve[64] = {};
  std::size_t length = 0;
  if (EVP_PKEY_get_utf8_string_param(key.get(), OSSL_PKEY_PARAM_GROUP_NAME, curve, sizeof curve, &length) != 1 ||
      std::string(curve, length) != "prime256v1") {
    return nullptr;
  }
  return key;
}

}  // namespace

Result<bool> VerifyEcdsaP256(std::string_view publicKeyPem, std::span<const std::uint8_t> message,
                             std::span<const std::uint8_t> signature) {
  const Key key = ReadP256Key(publicKeyPem);
  if (!key) {
    return Error(Errc::InvalidData);
  }
  const DigestContext context(EVP_MD_CTX_new());
  if (!context || EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1) {
    return Error(Errc::NotEnoughMemory);
  }
  // 1 verified, 0 a wrong signature, below 0 a signature that is not even well formed.
  return EVP_DigestVerify(context.get(), signature.data(), signature.size(), message.data(), message.size()) == 1;
}

}  // namespace sw::platform
