#include "core/Text.h"

#include <stdint.h>
#include <string.h>

namespace {

// One byte holding 0, shared by every Text that holds nothing, read by both threads and written by none.
char sharedEmpty[1] = {0};

int32_t CountUpToNul(const char* s) { return static_cast<int32_t>(strlen(s)); }

char* TakeBuffer(int32_t count) { return new char[static_cast<size_t>(count) + 1]; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

Text::Text() : data(sharedEmpty), length(0) {}

Text::Text(const char* source) : Text(source, source ? CountUpToNul(source) : 0) {}

Text::Text(const Text& other) : Text(other.data, other.length) {}

Text::Text(const char* bytes, int32_t count) : data(sharedEmpty), length(0) {
    if (count <= 0) return;
    data = TakeBuffer(count);
    memcpy(data, bytes, static_cast<size_t>(count));
    data[count] = '\0';
    length = count;
}

Text::~Text() { Release(); }

// cppcheck-suppress operatorEqVarError ; Assign sets data and length
Text& Text::operator=(const Text& other) {
    if (this != &other) Assign(other.data, other.length);
    return *this;
}

Text& Text::operator=(const char* source) {
    if (source) {
        Assign(source, CountUpToNul(source));
    } else {
        Assign("", 0);
    }
    return *this;
}

void Text::Assign(const char* bytes, int32_t count) {
    if (count > length) {
        // The source may lie in our own buffer, past a shorter text assigned
        // earlier: it is copied out before the old buffer goes.
        char* larger = TakeBuffer(count);
        memcpy(larger, bytes, static_cast<size_t>(count));
        Release();
        data = larger;
    } else if (count > 0) {
        memmove(data, bytes, static_cast<size_t>(count));
    }
    length = count;
    if (data != sharedEmpty) data[length] = '\0';  // the shared one holds 0 already, and is never written
}

void Text::Release() {
    if (data != sharedEmpty) delete[] data;
    data = sharedEmpty;
    length = 0;
}

char Text::CharAt(int32_t position) const {
    return (position >= 0 && position < length) ? data[position] : '\0';
}

int32_t Text::Find(char c) const {
    for (int32_t i = 0; i < length; ++i) {
        if (data[i] == c) return i;
    }
    return -1;
}

int32_t Text::Find(const char* needle) const {
    if (!needle || !*needle) return -1;
    const char* hit = strstr(data, needle);
    return hit ? static_cast<int32_t>(hit - data) : -1;
}

int32_t Text::ReverseFind(char c) const {
    for (int32_t i = length - 1; i >= 0; --i) {
        if (data[i] == c) return i;
    }
    return -1;
}

Text Text::Left(int32_t count) const {
    if (count < 0) count = 0;
    if (count > length) count = length;
    return Text(data, count);
}

Text Text::Mid(int32_t start) const {
    if (start < 0 || start > length) start = 0;
    return Text(data + start, length - start);
}

void Text::TrimRight() {
    int32_t runStart = -1;
    for (int32_t i = 0; i < length; ++i) {
        if (IsWhiteSpace(data[i])) {
            if (runStart < 0) runStart = i;
        } else {
            runStart = -1;
        }
    }
    if (runStart >= 0) {
        data[runStart] = '\0';
        length = runStart;
    }
}

void Text::TrimLeft() {
    int32_t skip = 0;
    while (skip < length && IsWhiteSpace(data[skip])) ++skip;
    if (skip == 0) return;
    memmove(data, data + skip, static_cast<size_t>(length - skip) + 1);
    length -= skip;
}

int Text::CompareNoCase(const char* other) const {
    const char* mine = data;
    while (*mine && LowerAscii(*mine) == LowerAscii(*other)) {
        ++mine;
        ++other;
    }
    return static_cast<unsigned char>(LowerAscii(*mine)) - static_cast<unsigned char>(LowerAscii(*other));
}

void Text::Append(const char* tail) { AppendBytes(tail, CountUpToNul(tail)); }

void Text::Append(const Text& tail) { AppendBytes(tail.data, tail.length); }

void Text::Append(char c) {
    if (c != '\0') AppendBytes(&c, 1);
}

void Text::AppendBytes(const char* bytes, int32_t count) {
    if (length == 0) {
        Assign(bytes, count);
        return;
    }
    const int32_t joinedLength = length + count;
    char* joined = TakeBuffer(joinedLength);
    memcpy(joined, data, static_cast<size_t>(length));
    memcpy(joined + length, bytes, static_cast<size_t>(count));
    joined[joinedLength] = '\0';
    Release();  // the appended bytes may have come from our own buffer: copied first
    data = joined;
    length = joinedLength;
}

Text operator+(const Text& left, const char* right) {
    Text joined(left);
    joined.Append(right);
    return joined;
}

Text operator+(const Text& left, const Text& right) { return left + right.Data(); }

Text DecimalText(uint32_t number) {
    char digits[11];  // 4294967295 and the terminator
    char* first = digits + sizeof digits - 1;
    *first = '\0';
    do {
        *--first = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    return Text(first);
}
