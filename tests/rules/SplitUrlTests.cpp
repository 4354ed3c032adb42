#include "rules/SplitUrl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SplitUrl, SplitsHttpAndHttpsUrls) {
    struct Case {
        const char* url;
        int32_t scheme;
        const char* host;
        int32_t port;
        const char* path;
    };
    const Case cases[] = {
        {"http://crm.example.com/frmAction/download.aspx?FromSite=yes", kSchemeHttp, "crm.example.com", 80,
         "/frmAction/download.aspx?FromSite=yes"},
        {"hTTpS://h:81", kSchemeHttps, "h", 81, ""},
        {"https://secure.example.com/x", kSchemeHttps, "secure.example.com", 443, "/x"},  // not 80
        {"http://h:/p", kSchemeHttp, "h", 0, "/p"},
        {"http://h/a:b", kSchemeHttp, "h", 80, "/a:b"},
        {"http://", kSchemeHttp, "", 80, ""},
        {"http://user:pw@h/", kSchemeHttp, "user", 0, "/"},  // no user information, by design
        {"http://h: 8080/", kSchemeHttp, "h", 8080, "/"},
        {"http://h:65535#f", kSchemeHttp, "h", 65535, ""},
        {"http://h/p?q=1#frag", kSchemeHttp, "h", 80, "/p?q=1#frag"},
    };
    for (const Case& c : cases) {
        Text host("old"), path("old");
        int32_t port = -7, scheme = -7;
        ASSERT_TRUE(SplitUrl(c.url, host, path, port, scheme)) << c.url;
        EXPECT_EQ(c.scheme, scheme) << c.url;
        EXPECT_STREQ(c.host, host.Data()) << c.url;
        EXPECT_EQ(c.port, port) << c.url;
        EXPECT_STREQ(c.path, path.Data()) << c.url;
    }
}

TEST(SplitUrl, RefusesOtherSchemesAndUnusablePorts) {
    for (const char* url : {"ftp://h/", "crm.example.com/x", "", "http:/h", "httpx://h", "http://h:70000/",
                            "http://h:-1/", "http://h:99999999999999999999/"}) {
        Text host("old"), path("old");
        int32_t port = -7, scheme = -7;
        EXPECT_FALSE(SplitUrl(url, host, path, port, scheme)) << url;
        EXPECT_STREQ("old", host.Data()) << url;
        EXPECT_STREQ("old", path.Data()) << url;
        EXPECT_EQ(-7, port) << url;
        EXPECT_EQ(-7, scheme) << url;
    }
}

}  // namespace
