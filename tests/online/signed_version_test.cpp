// The trust in the version file: signatures made by the real openssl command line
// (tools/sign-release.sh, recorded below) verified by the platform (BCrypt under Wine,
// OpenSSL natively), the DER and base64 forms they come in, and the keys that are trusted.

#include <gtest/gtest.h>

#include "core/base64.h"
#include "core/bytes.h"
#include "online/version_file.h"
#include "platform/ecdsa_der.h"
#include "platform/signature.h"

namespace sw::online {
namespace {

// A test key pair's public half and a version file it signed: `tools/sign-release.sh
// --new-key DIR`, then `tools/sign-release.sh DIR/update-private.pem FILE`. The private half
// was thrown away.
constexpr std::string_view kTestKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE02CGcISYCkuIfyAqDO8fZIyTvod7\n"
    "xt6BAQFUZRQOq4hXIrWDkQcn0uH0WrjnBcqGilMuuKMrqG4GMzvKkBanlg==\n"
    "-----END PUBLIC KEY-----\n";
constexpr std::string_view kSignedPart =
    "3.6\r\nQZ Sweepwise Pro\r\n150\r\nFaster\r\n"
    "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n";
// Its r has a leading zero byte in DER (33 bytes), its s not.
constexpr std::string_view kSignatureLine =
    "MEUCIQCTeZziIRln+JONiVt0XHa3SrrnnvTAGpLrbZeCHnWHHAIgWluE/wkoWrofdyGigijTAie/yzRC+hDqRT4Z1unVuSo=";
constexpr std::string_view kP384Key =
    "-----BEGIN PUBLIC KEY-----\n"
    "MHYwEAYHKoZIzj0CAQYFK4EEACIDYgAEVibqVCDX1xvXpamtdj4RBhmCmCI+yaun\n"
    "slLthabAvW4X/8uPkKjxPG4ziM63XMWP1/6s55Oy/E2tcr8j2HYduUOVuWMVwtt8\n"
    "81CY63SqzACl8U2lu2p2A0OQXHFDXaol\n"
    "-----END PUBLIC KEY-----\n";
constexpr std::string_view kRsaKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQDKC4lFlefepCBSaoCVFFABJTXQ\n"
    "YvAWoRNQK/ekWc+i4R4IUxepnEyCkVKtUGHWBFdsMDPK/dmajX+4BpbCx1G0is5n\n"
    "4xzipC6oANteCQz/BVSPayo/y3K7ixI8Wb+qzxlytg9Ne3qeF5Sot4JQVSgp8J5P\n"
    "KONw7KppwlnuFI+ubwIDAQAB\n"
    "-----END PUBLIC KEY-----\n";

std::string SignedFile() {
  return std::string(kSignedPart) + std::string(kSignatureLine) + "\r\n";
}

Bytes Signature() {
  return *DecodeBase64(kSignatureLine);
}

// 1 verified, 0 not, -1 the key was refused.
int Verify(std::string_view key, std::string_view message, std::span<const std::uint8_t> signature) {
  const auto verified = platform::VerifyEcdsaP256(key, AsBytes(message), signature);
  return !verified ? -1 : *verified ? 1 : 0;
}

TEST(Base64, StrictStandardForm) {
  EXPECT_EQ(DecodeBase64(""), Bytes{});
  EXPECT_EQ(DecodeBase64("TWFu"), (Bytes{'M', 'a', 'n'}));
  EXPECT_EQ(DecodeBase64("TWE="), (Bytes{'M', 'a'}));
  EXPECT_EQ(DecodeBase64("TQ=="), (Bytes{'M'}));
  EXPECT_EQ(DecodeBase64("+/+/"), (Bytes{0xfb, 0xff, 0xbf}));
  for (const char* bad : {"TWF", "TW=u", "T===", "TQ==TWFu", "TW u", "TWFu\n", "TQ=\n"}) {
    EXPECT_FALSE(DecodeBase64(bad)) << bad;
  }
}

TEST(EcdsaDer, RawFormIsTwoPaddedBigEndianHalves) {
  const auto raw = platform::RawFromDer(Signature());
  ASSERT_TRUE(raw);
  EXPECT_EQ((*raw)[0], 0x93);  // the leading zero of r is gone
  EXPECT_EQ((*raw)[32], 0x5a);
  // A short r is padded at the front.
  const Bytes shortR{0x30, 0x07, 0x02, 0x01, 0x05, 0x02, 0x02, 0x01, 0x02};
  const auto padded = platform::RawFromDer(shortR);
  ASSERT_TRUE(padded);
  EXPECT_EQ((*padded)[31], 0x05);
  EXPECT_EQ((*padded)[62], 0x01);
  EXPECT_EQ((*padded)[63], 0x02);
  const Bytes malformed[] = {
      {},
      {0x30, 0x06, 0x02, 0x01, 0x05, 0x02, 0x01},               // shorter than it says
      {0x30, 0x06, 0x02, 0x01, 0x05, 0x02, 0x01, 0x06, 0x00},   // a byte after the sequence
      {0x30, 0x06, 0x02, 0x01, 0x85, 0x02, 0x01, 0x06},         // negative r
      {0x30, 0x07, 0x02, 0x02, 0x00, 0x05, 0x02, 0x01, 0x06},   // a needless leading zero
      {0x31, 0x06, 0x02, 0x01, 0x05, 0x02, 0x01, 0x06},         // not a sequence
      {0x30, 0x03, 0x02, 0x01, 0x05},                           // no s
  };
  for (const Bytes& der : malformed) {
    EXPECT_FALSE(platform::RawFromDer(der)) << der.size();
  }
  Bytes tooLong{0x30, 0x26, 0x02, 0x21, 0x01};  // r of 33 significant bytes
  tooLong.insert(tooLong.end(), 32, 0x11);
  tooLong.insert(tooLong.end(), {0x02, 0x01, 0x06});
  EXPECT_FALSE(platform::RawFromDer(tooLong));
}

TEST(EcdsaSignature, OpensslSignatureVerifiesAndNothingElseDoes) {
  EXPECT_EQ(Verify(kTestKey, kSignedPart, Signature()), 1);

  std::string changed(kSignedPart);
  changed[2] = '7';  // 3.7
  EXPECT_EQ(Verify(kTestKey, changed, Signature()), 0);
  Bytes flipped = Signature();
  flipped[20] ^= 0x01;
  EXPECT_EQ(Verify(kTestKey, kSignedPart, flipped), 0);
  EXPECT_EQ(Verify(kTestKey, kSignedPart, Bytes{0x30, 0x00}), 0);
  EXPECT_EQ(Verify(VendorUpdateKey(), kSignedPart, Signature()), 0)
      << "the vendor's key is a P-256 key, and not the test key";

  for (const std::string_view key : {kP384Key, kRsaKey, std::string_view("not a key"), std::string_view()}) {
    EXPECT_EQ(Verify(key, kSignedPart, Signature()), -1) << key;
  }
}

TEST(VersionFile, SignedPartEndsWithTheLineEndOfLineFive) {
  const std::string file = SignedFile();
  const SignedParts parts = SplitSignedVersionFile(file);
  EXPECT_EQ(parts.signedBytes, kSignedPart);
  EXPECT_EQ(parts.signature, kSignatureLine);
  EXPECT_EQ(SplitSignedVersionFile("1\n2\n3\n4\n5\nSIG\n7\n").signature, "SIG");
  EXPECT_EQ(SplitSignedVersionFile("1\n2\n3\n4\n5").signature, "");
  EXPECT_EQ(SplitSignedVersionFile("1\r\n2\r\n3\r\n4\r\n5\r\n").signature, "");
}

TEST(VersionFile, OnlyASignatureOfATrustedKeyOverTheseBytesVerifies) {
  const std::vector<TrustedKey> trusted{{"the vendor's key", std::string(VendorUpdateKey())},
                                        {"C:\\P\\update-key.pem", std::string(kTestKey)}};
  EXPECT_EQ(VerifyVersionFile(SignedFile(), trusted), "");
  // Whatever follows the signature line does not matter; a changed signed byte does.
  EXPECT_EQ(VerifyVersionFile(SignedFile() + "more\r\n", trusted), "");
  std::string changed = SignedFile();
  changed[0] = '4';
  EXPECT_EQ(VerifyVersionFile(changed, trusted),
            "The signature of the version file from the server does not verify with the vendor's key or "
            "C:\\P\\update-key.pem; nothing is offered.");
  // The same bytes, with bare line ends: not what was signed.
  std::string bare = SignedFile();
  std::erase(bare, '\r');
  EXPECT_NE(VerifyVersionFile(bare, trusted), "");
  EXPECT_EQ(VerifyVersionFile(kSignedPart, trusted), "The version file from the server is not signed; nothing is offered.");
  EXPECT_NE(VerifyVersionFile(std::string(kSignedPart) + "not base64!\r\n", trusted), "");
  EXPECT_NE(VerifyVersionFile(SignedFile(), {trusted[0]}), "") << "the vendor's key alone";
}

}  // namespace
}  // namespace sw::online
