// SplitUrl on any text: either a refusal that leaves everything alone, or
// pieces that put the URL back together.
#include <stdint.h>
#include <string.h>

#include <string>

#include "FuzzCheck.h"
#include "rules/SplitUrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    Text host("untouched"), path("untouched");
    int32_t port = -1, scheme = -1;
    if (!SplitUrl(url.c_str(), host, path, port, scheme)) {
        FUZZ_CHECK(strcmp(host.Data(), "untouched") == 0 && strcmp(path.Data(), "untouched") == 0);
        FUZZ_CHECK(port == -1 && scheme == -1);
        return 0;
    }
    FUZZ_CHECK(scheme == kSchemeHttp || scheme == kSchemeHttps);
    FUZZ_CHECK(port >= 0 && port <= 65535);
    FUZZ_CHECK(strchr(host.Data(), '/') == nullptr && strchr(host.Data(), ':') == nullptr);
    FUZZ_CHECK(path.IsEmpty() || path.CharAt(0) == '/');
    const std::string rest = url.substr(url.find("://") + 3);
    FUZZ_CHECK(rest.compare(0, static_cast<size_t>(host.Length()), host.Data()) == 0);
    FUZZ_CHECK(rest.size() >= static_cast<size_t>(path.Length()) &&
               rest.compare(rest.size() - static_cast<size_t>(path.Length()), std::string::npos, path.Data()) == 0);
    return 0;
}
