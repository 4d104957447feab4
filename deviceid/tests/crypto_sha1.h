// An independent SHA-1 for the tests: the Windows CryptoAPI's CALG_SHA1 provider.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace deviceid_test {

/// Lower-case hex SHA-1 of the bytes, computed by the platform's CryptoAPI.
inline std::string cryptoSha1Hex(const std::string& bytes) {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
    throw std::runtime_error("CryptAcquireContext failed");
  }
  HCRYPTHASH hash = 0;
  BYTE digest[20] = {};
  DWORD digestLength = sizeof digest;
  const bool ok = CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
                  CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size()), 0) &&
                  CryptGetHashParam(hash, HP_HASHVAL, digest, &digestLength, 0);
  if (hash != 0) {
    CryptDestroyHash(hash);
  }
  CryptReleaseContext(provider, 0);
  if (!ok || digestLength != 20) {
    throw std::runtime_error("CryptoAPI SHA-1 failed");
  }
  std::string hex;
  for (BYTE byte : digest) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hex += pair;
  }
  return hex;
}

/// The identifier constants exactly as documented, first byte first.
inline std::string identifierConstantBytes() {
  return std::string("\x3c\x91\xe0\x4d\x7a\x25\xb8\xf6\x01\x9d\x4e\xc2\xa8\x7f\x5b\x13", 16);
}
inline std::string olderIdentifierConstantBytes() {
  return std::string("\x5e\x8a\x17\xc3\xd2\x90\x4b\xf6\xa1\xe0\x7d\x38", 12);
}

}  // namespace deviceid_test
