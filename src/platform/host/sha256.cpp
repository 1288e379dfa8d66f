#include "platform/sha256.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

#include "platform/host/digest_context.h"

namespace sw::platform {

Result<Sha256Digest> Sha256Of(FileReader& file) {
  const DigestContext context(EVP_MD_CTX_new());
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
