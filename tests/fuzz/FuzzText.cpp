// Text operations driven by the input, checked step by step against std::string.
#include <stdint.h>
#include <string.h>

#include <string>

#include "FuzzCheck.h"
#include "core/Text.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Reads the input as a program: an operation byte, then its operands.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool Done() const { return at >= size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int32_t Number() { return static_cast<int8_t>(Byte()); }  // -128..127: past both ends of short texts
    std::string String() {  // up to 15 bytes, never a NUL
        std::string s;
        for (size_t n = Byte() % 16; n > 0 && at < size; --n) {
            const char c = static_cast<char>(Byte());
            if (c) s += c;
        }
        return s;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

void Same(const Text& text, const std::string& model) {
    FUZZ_CHECK(text.Length() == static_cast<int32_t>(model.size()));
    FUZZ_CHECK(memcmp(text.Data(), model.data(), model.size()) == 0);
    FUZZ_CHECK(text.Data()[text.Length()] == '\0');
    FUZZ_CHECK(text.IsEmpty() == model.empty());
}

int32_t Clamp(int32_t n, int32_t low, int32_t high) { return n < low ? low : (n > high ? high : n); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    Text text;
    std::string model;
    while (!in.Done()) {
        const int32_t length = static_cast<int32_t>(model.size());
        switch (in.Byte() % 15) {
        case 0: {
            const std::string s = in.String();
            text = s.c_str();
            model = s;
            break;
        }
        case 1: {
            const std::string s = in.String();
            text.Append(s.c_str());
            model += s;
            break;
        }
        case 2: {
            const char c = static_cast<char>(in.Byte());
            text.Append(c);
            if (c) model += c;
            break;
        }
        case 3: {
            const Text other(in.String().c_str());
            text.Append(other);
            model += other.Data();
            break;
        }
        case 4: {
            const int32_t n = in.Number();
            text = text.Left(n);
            model.resize(static_cast<size_t>(Clamp(n, 0, length)));
            break;
        }
        case 5: {
            const int32_t n = in.Number();
            text = text.Mid(n);
            model = model.substr(static_cast<size_t>(n < 0 || n > length ? 0 : n));
            break;
        }
        case 6: {
            text.TrimLeft();
            const size_t first = model.find_first_not_of(" \t\n\v\f\r");
            model = first == std::string::npos ? std::string() : model.substr(first);
            break;
        }
        case 7: {
            text.TrimRight();
            while (!model.empty() && IsSpace(model.back())) model.pop_back();
            break;
        }
        case 8: {
            const char c = static_cast<char>(in.Byte());
            const size_t first = c ? model.find(c) : std::string::npos, last = c ? model.rfind(c) : std::string::npos;
            FUZZ_CHECK(text.Find(c) == (first == std::string::npos ? -1 : static_cast<int32_t>(first)));
            FUZZ_CHECK(text.ReverseFind(c) == (last == std::string::npos ? -1 : static_cast<int32_t>(last)));
            break;
        }
        case 9: {
            const std::string s = in.String();
            const size_t at = s.empty() ? std::string::npos : model.find(s);
            FUZZ_CHECK(text.Find(s.c_str()) == (at == std::string::npos ? -1 : static_cast<int32_t>(at)));
            break;
        }
        case 10: {
            const int32_t n = in.Number();
            FUZZ_CHECK(text.CharAt(n) == (n >= 0 && n < length ? model[static_cast<size_t>(n)] : '\0'));
            break;
        }
        case 11: {
            std::string s = in.String();
            if (in.Byte() % 2) s = model;  // often equal but for case
            for (char& c : s) c = (in.Byte() % 2 && c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
            bool equal = s.size() == model.size();
            for (size_t i = 0; equal && i < s.size(); ++i) equal = Lower(s[i]) == Lower(model[i]);
            FUZZ_CHECK((text.CompareNoCase(s.c_str()) == 0) == equal);
            break;
        }
        case 12: {
            const std::string s = in.String();
            const Text copy(text);
            text.Release();
            Same(text, std::string());
            Same(copy, model);
            text = copy + s.c_str();
            model += s;
            break;
        }
        case 13: {
            // Assigned from its own storage: a tail of the text, or bytes that lie
            // past a shorter text assigned into the same buffer.
            const std::string wide = in.String();
            const int32_t size = static_cast<int32_t>(wide.size());
            const int32_t keep = Clamp(in.Number(), 0, size), from = Clamp(in.Number(), 0, size);
            text = wide.c_str();
            text = text.Left(keep);
            text = text.Data() + from;
            model = from <= keep ? wide.substr(static_cast<size_t>(from), static_cast<size_t>(keep - from))
                                 : wide.substr(static_cast<size_t>(from));
            break;
        }
        default: {
            const Text other(in.String().c_str());
            const Text joined = text + other;
            model += other.Data();
            text = joined;
            break;
        }
        }
        Same(text, model);
    }
    return 0;
}
