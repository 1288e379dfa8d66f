#include "platform/sha256.h"

#include <openssl/evp.h>

#include <memory>

namespace sw::platform {
namespace {

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

Result<Sha256Digest> Sha256Of(FileReader& file) {
  const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    return Error(Errc::NotEnoughMemory);
  }
  std::array<std::uint8_t, 64 * 1024> block{};
  for (;;) {
    const auto read = file.Read(block);
    if (!read) {
      return read.error();
    }
    if (*read == 0) {
      break;
    }
    if (EVP_DigestUpdate(context.get(), block.data(), *read) != 1) {
      return Error(Errc::InvalidData);
    }
  }
  Sha256Digest digest{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size()) {
    return Error(Errc::InvalidData);
  }
  return digest;
}

}  // namespace sw::platform
