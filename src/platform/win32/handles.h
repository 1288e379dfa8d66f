#pragma once
// Owners of the Win32 handle kinds the platform layer uses.

#include <windows.h>
// windows.h first: bcrypt.h builds on it.
#include <bcrypt.h>

#include "core/unique_handle.h"

namespace sw::platform::win32 {

// Kernel objects whose failure value is null (processes, threads, mutexes, tokens).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// Files, whose failure value is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
using UniqueHkey = UniqueHandle<RegKeyTraits>;

// The system's cryptography (CNG): algorithm providers, hashes and keys.
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

// A COM interface pointer, released when its owner goes.
template <class Interface>
struct ComTraits {
  using Handle = Interface*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { h->Release(); }
};
template <class Interface>
using ComPtr = UniqueHandle<ComTraits<Interface>>;

}  // namespace sw::platform::win32
