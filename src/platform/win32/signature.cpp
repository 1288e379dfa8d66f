#include "platform/signature.h"

#include <windows.h>
// windows.h first: bcrypt.h and wincrypt.h build on it.
#include <bcrypt.h>
#include <wincrypt.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/unique_handle.h"
#include "platform/ecdsa_der.h"
#include "platform/win32/handles.h"

namespace sw::platform {
namespace {

struct LocalTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::LocalFree(h); }
};

constexpr char kEcPublicKeyOid[] = "1.2.840.10045.2.1";  // szOID_ECC_PUBLIC_KEY
constexpr std::uint8_t kP256CurveOid[] = {0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07};
constexpr std::size_t kCoordinate = 32;

// The DER bytes of the PEM block.
std::vector<BYTE> DerOfPem(std::string_view pem) {
  DWORD size = 0;
  const auto length = static_cast<DWORD>(pem.size());
  if (!::CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
    return {};
  }
  std::vector<BYTE> der(size);
  if (!::CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr)) {
    return {};
  }
  der.resize(size);
  return der;
}

// The key as BCrypt takes it: BCRYPT_ECCKEY_BLOB, then X and Y, from the uncompressed point
// 04 || X || Y of a SubjectPublicKeyInfo on P-256.
std::vector<BYTE> EccPublicBlob(std::string_view pem) {
  const std::vector<BYTE> der = DerOfPem(pem);
  if (der.empty()) {
    return {};
  }
  UniqueHandle<LocalTraits> decoded;
  DWORD size = 0;
  if (!::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, der.data(), static_cast<DWORD>(der.size()),
                             CRYPT_DECODE_ALLOC_FLAG, nullptr, decoded.put(), &size)) {
    return {};
  }
  const auto* info = static_cast<const CERT_PUBLIC_KEY_INFO*>(decoded.get());
  const CRYPT_OBJID_BLOB& curve = info->Algorithm.Parameters;
  const CRYPT_BIT_BLOB& point = info->PublicKey;
  if (info->Algorithm.pszObjId == nullptr || std::strcmp(info->Algorithm.pszObjId, kEcPublicKeyOid) != 0 ||
      curve.cbData != sizeof kP256CurveOid || std::memcmp(curve.pbData, kP256CurveOid, sizeof kP256CurveOid) != 0 ||
      point.cbData != 1 + 2 * kCoordinate || point.pbData[0] != 0x04) {
    return {};
  }
  std::vector<BYTE> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 2 * kCoordinate);
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinate};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, point.pbData + 1, 2 * kCoordinate);
  return blob;
}

bool Sha256(std::span<const std::uint8_t> message, std::array<BYTE, 32>& digest) {
  win32::UniqueBcryptAlgorithm algorithm;
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return false;
  }
  BCRYPT_HASH_HANDLE hash = nullptr;
  const bool ok =
      BCRYPT_SUCCESS(::BCryptCreateHash(algorithm.get(), &hash, nullptr, 0, nullptr, 0, 0)) &&
      BCRYPT_SUCCESS(::BCryptHashData(hash, const_cast<PUCHAR>(message.data()), static_cast<ULONG>(message.size()), 0)) &&
      BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
  if (hash != nullptr) {
    ::BCryptDestroyHash(hash);
  }
  return ok;
}

}  // namespace

Result<bool> VerifyEcdsaP256(std::string_view publicKeyPem, std::span<const std::uint8_t> message,
                             std::span<const std::uint8_t> signature) {
  std::vector<BYTE> blob = EccPublicBlob(publicKeyPem);
  if (blob.empty()) {
    return Error(Errc::InvalidData);
  }
  win32::UniqueBcryptAlgorithm algorithm;
  if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
    return Error(Errc::NotSupported);
  }
  win32::UniqueBcryptKey key;
  if (!BCRYPT_SUCCESS(::BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, key.put(), blob.data(),
                                            static_cast<ULONG>(blob.size()), 0))) {
    return Error(Errc::InvalidData);
  }
  // BCrypt takes r || s, not the DER form OpenSSL writes.
  auto raw = RawFromDer(signature);
  if (!raw) {
    return false;
  }
  std::array<BYTE, 32> digest{};
  if (!Sha256(message, digest)) {
    return Error(Errc::NotSupported);
  }
  return BCRYPT_SUCCESS(::BCryptVerifySignature(key.get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()),
                                                raw->data(), static_cast<ULONG>(raw->size()), 0));
}

}  // namespace sw::platform
