#include "online/version_file.h"

#include "core/base64.h"
#include "core/bytes.h"
#include "core/text.h"
#include "online/update_install.h"
#include "platform/signature.h"

namespace sw::online {
namespace {

constexpr std::size_t kSignedLines = 5;

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  return line;
}

}  // namespace

std::vector<TrustedKey> TrustedUpdateKeys(platform::Platform& platform) {
  std::vector<TrustedKey> keys{{"the vendor's key", std::string(VendorUpdateKey())}};
  const std::string mirrorKey = platform.folders.ProgramFile(kUpdateKeyFile);
  if (const auto bytes = platform.files->ReadWhole(mirrorKey); bytes && bytes->size() <= kMaxVersionFileBytes) {
    keys.push_back({mirrorKey, std::string(AsText(*bytes))});
  }
  return keys;
}

SignedParts SplitSignedVersionFile(std::string_view file) {
  std::size_t end = 0;
  for (std::size_t line = 0; line < kSignedLines; ++line) {
    const auto newline = file.find('\n', end);
    if (newline == std::string_view::npos) {
      return {file, {}};
    }
    end = newline + 1;
  }
  std::string_view rest = file.substr(end);
  rest = rest.substr(0, rest.find('\n'));
  return {file.substr(0, end), WithoutLineEnd(rest)};
}

std::string VerifyVersionFile(std::string_view file, const std::vector<TrustedKey>& keys) {
  const SignedParts parts = SplitSignedVersionFile(file);
  if (parts.signature.empty()) {
    return "The version file from the server is not signed; nothing is offered.";
  }
  const auto signature = DecodeBase64(parts.signature);
  bool verified = false;
  for (const TrustedKey& key : keys) {
    if (signature && platform::VerifyEcdsaP256(key.pem, AsBytes(parts.signedBytes), *signature).value_or(false)) {
      verified = true;
      break;
    }
  }
  if (!verified) {
    std::string names;
    for (const TrustedKey& key : keys) {
      names += (names.empty() ? "" : " or ") + key.name;
    }
    return "The signature of the version file from the server does not verify with " + names +
           "; nothing is offered.";
  }
  const std::vector<std::string> lines = SplitLines(parts.signedBytes);
  if (lines.size() < kSignedLines || !ParseSha256(WithoutLineEnd(lines[kSignedLines - 1]))) {
    return "The version file from the server names no SHA-256 digest of the release on line 5; nothing is offered.";
  }
  return {};
}

}  // namespace sw::online
