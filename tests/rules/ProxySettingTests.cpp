#include "rules/ProxySetting.h"

#include <gtest/gtest.h>

#include <string.h>

#include "rules/SplitUrl.h"

namespace {

// The proxy a system setting names for a scheme: its own entry, else one for every scheme.
TEST(ProxySetting, NamesTheProxyForTheScheme) {
    const struct {
        const char* setting;
        const char* http;
        const char* https;
    } cases[] = {
        {"", "", ""},
        {"proxy:3128", "proxy:3128", "proxy:3128"},
        {"http=web:80;https=tls:443", "web:80", "tls:443"},
        {"HTTPS=tls:443 http=web:80", "web:80", "tls:443"},
        {"ftp=f:21;all:8080", "all:8080", "all:8080"},
        {"all:8080;http=web:80", "web:80", "all:8080"},  // the scheme's own wins, also when it comes later
        {"http=web:80", "web:80", ""},
        {" ; https=tls:443;; ", "", "tls:443"},
        {"https=;http=", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.http, ProxyForScheme(c.setting, kSchemeHttp).Data()) << c.setting;
        EXPECT_STREQ(c.https, ProxyForScheme(c.setting, kSchemeHttps).Data()) << c.setting;
    }
}

// Basic sign-in's credentials: "user:password" in Base64, never past the room given.
TEST(ProxySetting, EncodesBasicCredentials) {
    const struct {
        const char* user;
        const char* password;
        size_t capacity;
        const char* encoded;
    } cases[] = {
        {"Aladdin", "open sesame", 64, "QWxhZGRpbjpvcGVuIHNlc2FtZQ=="},  // RFC 7617's example
        {"jo", "secret", 64, "am86c2VjcmV0"},
        {"a", "", 64, "YTo="},
        {"", "", 64, "Og=="},
        {"jo", "secret", 9, "am86c2Vj"},  // whole groups of four, and the terminator
        {"jo", "secret", 4, ""},
    };
    for (const auto& c : cases) {
        char out[64];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(strlen(c.encoded), EncodeBasicCredentials(c.user, c.password, out, c.capacity)) << c.capacity;
        EXPECT_STREQ(c.encoded, out) << c.user << ":" << c.password;
    }
}

}  // namespace
