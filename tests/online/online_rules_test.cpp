// The plain rules of the online services: versions, addresses, form bodies and digests.

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/product.h"
#include "online/form_encoding.h"
#include "online/server_address.h"
#include "online/update_install.h"
#include "online/version_compare.h"
#include "platform/http_url.h"

namespace sw::online {
namespace {

TEST(VersionCompare, NumberByNumber) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  };
  for (const Case& c : {Case{"3.5", "3.5", 0}, Case{"3.5", "3.51", -1}, Case{"3.5", "3.6", -1}, Case{"9.0", "10.0", -1},
                        Case{"3.10", "3.9", 1}, Case{"3.5", "3.5.0", 0}, Case{" 3.5 ", "3.5", 0}, Case{"0", "3.5", -1},
                        Case{"0", "", 0}, Case{"3.05", "3.5", 0}, Case{"3.5", "3.5b", -1},
                        Case{"3.99999999999999999999", "4", -1}, Case{"123456789012345678901", "9", 1}}) {
    EXPECT_EQ(CompareVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(CompareVersions(c.b, c.a), -c.order) << c.b << " vs " << c.a;
  }
}

TEST(SplitUrl, SchemeHostPortAndPath) {
  const auto plain = platform::SplitUrl("HTTP://www.orvanta.example/updates/a.txt?x=1");
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->secure);
  EXPECT_EQ(plain->host, "www.orvanta.example");
  EXPECT_EQ(plain->port, 80);
  EXPECT_EQ(plain->path, "/updates/a.txt?x=1");

  const auto secure = platform::SplitUrl("https://127.0.0.1:8443/x");
  ASSERT_TRUE(secure);
  EXPECT_TRUE(secure->secure);
  EXPECT_EQ(secure->port, 8443);

  const auto bare = platform::SplitUrl("127.0.0.1:8080/t");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->host, "127.0.0.1");
  EXPECT_EQ(bare->port, 8080);
  EXPECT_EQ(platform::SplitUrl("https://[::1]:99/")->host, "::1");

  // Without "/" everything is path, and the host is empty.
  const auto noSlash = platform::SplitUrl("http://example");
  ASSERT_TRUE(noSlash);
  EXPECT_EQ(noSlash->host, "");
  EXPECT_EQ(noSlash->path, "example");

  for (const char* bad : {"http://h:/x", "http://h:0/x", "http://h:65536/x", "http://h:8o/x"}) {
    EXPECT_FALSE(platform::SplitUrl(bad)) << bad;
  }
}

TEST(UrlEncode, NothingInAValueCanAddAField) {
  EXPECT_EQ(UrlEncode("me@x.example"), "me%40x.example");
  EXPECT_EQ(UrlEncode("a&b=c+d e%f"), "a%26b%3Dc%2Bd%20e%25f");
  EXPECT_EQ(UrlEncode("Zoë_~-."), "Zo%C3%AB_~-.");
  EXPECT_EQ(UrlEncode(std::string("\0\r\n", 3)), "%00%0D%0A");
}

void SetServerVariable(const char* value) {
#ifdef _WIN32
  _putenv_s("SWEEPWISE_SERVER", value);
#else
  if (*value == '\0') {
    unsetenv("SWEEPWISE_SERVER");
  } else {
    setenv("SWEEPWISE_SERVER", value, 1);
  }
#endif
}

TEST(ServerAddress, OptionThenEnvironmentThenTheVendors) {
  const char* saved = std::getenv("SWEEPWISE_SERVER");
  const std::string restore = saved != nullptr ? saved : "";
  SetServerVariable("");
  EXPECT_EQ(ServerAddress(), kDefaultServerUrl);
  EXPECT_TRUE(ServerAddress().starts_with("https://"));
  SetServerVariable("http://127.0.0.1:8000/mirror/");
  EXPECT_EQ(ServerAddress(), "http://127.0.0.1:8000/mirror");
  EXPECT_EQ(ServerAddress("http://127.0.0.1:9/"), "http://127.0.0.1:9");
  SetServerVariable(restore.c_str());

  EXPECT_EQ(ServerUrl("http://h/base/", kVersionFilePath), "http://h/base/updates/sweepwise/versiyon.txt");
  EXPECT_EQ(SupportPageAddress("https://www.orvanta.example"),
            "https://www.orvanta.example/qz/untsupport.php3?fversion=510");
}

TEST(ParseSha256, SixtyFourHexDigitsInEitherCase) {
  const std::string lower(64, 'a');
  const auto digest = ParseSha256(lower);
  ASSERT_TRUE(digest);
  EXPECT_EQ((*digest)[0], 0xAA);
  EXPECT_EQ(ParseSha256(std::string(64, 'F')).value()[31], 0xFF);
  for (const std::string& bad :
       {std::string(63, 'a'), std::string(65, 'a'), std::string(63, 'a') + "g", std::string()}) {
    EXPECT_FALSE(ParseSha256(bad)) << bad;
  }
}

}  // namespace
}  // namespace sw::online
