// Any names and values (NUL-separated in the input) make a body whose pieces
// decode back to them, and whose announced length is the bytes uploaded.
#include <stdint.h>

#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "rules/FormBody.h"

namespace {

std::string Decode(const std::string& encoded) {
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            decoded += encoded[i];
            continue;
        }
        FUZZ_CHECK(i + 2 < encoded.size());
        decoded += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            fields.emplace_back();
        } else {
            fields.back() += static_cast<char>(data[i]);
        }
    }
    TextList names, values, pieces;
    for (size_t i = 0; i < fields.size(); ++i) (i % 2 ? values : names).Add(fields[i].c_str());

    const int32_t length = BuildFormBody(names, values, pieces);
    const size_t pairs = fields.size() / 2;
    FUZZ_CHECK(static_cast<size_t>(pieces.Count()) == pairs);
    int32_t uploaded = FormTrailer().Length();
    bool more = pieces.First();
    for (size_t i = 0; more; ++i) {
        const std::string piece = pieces.Next(more);
        uploaded += static_cast<int32_t>(piece.size());
        const std::string expectedStart = (i ? "&" : "") + fields[2 * i] + "=";
        FUZZ_CHECK(piece.compare(0, expectedStart.size(), expectedStart) == 0);
        const std::string encoded = piece.substr(expectedStart.size());
        FUZZ_CHECK(encoded.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz%") ==
                   std::string::npos);
        FUZZ_CHECK(Decode(encoded) == fields[2 * i + 1]);
    }
    FUZZ_CHECK(uploaded == length);
    return 0;
}
