#include "rules/FormBody.h"

#include <stddef.h>
#include <stdint.h>

#include "core/Text.h"
#include "core/TextList.h"

namespace {

bool IsPlain(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

Text UrlEncode(const Text& value) {
    static const char kHex[] = "0123456789abcdef";
    const int32_t length = value.Length();
    char* encoded = new char[static_cast<size_t>(length) * 3 + 1];
    char* out = encoded;
    for (int32_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(value.CharAt(i));
        if (IsPlain(c)) {
            *out++ = static_cast<char>(c);
        } else {
            *out++ = '%';
            *out++ = kHex[c >> 4];
            *out++ = kHex[c & 0x0F];
        }
    }
    *out = '\0';
    const Text result(encoded);
    delete[] encoded;
    return result;
}

Text EncodeFormPart(const Text& name, const Text& value, bool notFirst) {
    Text part(notFirst ? "&" : "");
    part.Append(name);
    part.Append('=');
    part.Append(UrlEncode(value));
    return part;
}

int32_t BuildFormBody(TextList& names, TextList& values, TextList& pieces) {
    bool moreNames = names.First();
    bool moreValues = values.First();
    bool notFirst = false;
    int32_t length = 0;
    while (moreNames && moreValues) {
        const Text name(names.Next(moreNames));
        const Text value(values.Next(moreValues));
        const Text piece = EncodeFormPart(name, value, notFirst);
        pieces.Add(piece.Data());
        length += piece.Length();
        notFirst = true;
    }
    return length + FormTrailer().Length();
}

Text FormTrailer() { return Text("\r\n"); }
