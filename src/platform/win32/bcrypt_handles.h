#pragma once
// Owners of the system's cryptography handles (CNG), for the digest and the signature check.

#include <windows.h>
// windows.h first: bcrypt.h builds on it.
#include <bcrypt.h>

#include "core/unique_handle.h"

namespace sw::platform::win32 {

struct BcryptAlgorithmTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
using UniqueBcryptAlgorithm = UniqueHandle<BcryptAlgorithmTraits>;

struct BcryptHashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::BCryptDestroyHash(h); }
};
using UniqueBcryptHash = UniqueHandle<BcryptHashTraits>;

struct BcryptKeyTraits {
  using Handle = BCRYPT_KEY_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::BCryptDestroyKey(h); }
};
using UniqueBcryptKey = UniqueHandle<BcryptKeyTraits>;

}  // namespace sw::platform::win32
