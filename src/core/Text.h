#pragma once

#include <stdint.h>

// An owned, length-counted, always NUL-terminated byte string. It never holds a
// NUL byte of its own (every source is taken up to its first NUL), so its
// length is always that of the C string at Data().
// A Text that holds nothing points at one shared empty buffer that no Text
// owns and none writes (texts on both threads share it); every other Text owns
// a heap buffer of at least length + 1 bytes.
class Text {
public:
    Text();
    // cppcheck-suppress noExplicitConstructor ; strings convert to Text wherever one is taken
    Text(const char* source);  // null gives the empty Text
    Text(const Text& other);
    ~Text();

    Text& operator=(const Text& other);
    Text& operator=(const char* source);  // null assigns the empty text

    void Release();

    const char* Data() const { return data; }
    int32_t Length() const { return length; }
    bool IsEmpty() const { return length == 0; }
    char CharAt(int32_t position) const;

    int32_t Find(char c) const;
    int32_t Find(const char* needle) const;
    int32_t ReverseFind(char c) const;

    Text Left(int32_t count) const;
    Text Mid(int32_t start) const;

    void TrimRight();
    void TrimLeft();

    // 0 when equal ignoring ASCII case, non-zero otherwise.
    int CompareNoCase(const char* other) const;

    void Append(const char* tail);
    void Append(const Text& tail);
    void Append(char c);  // appending NUL is a no-op: a Text never holds one

private:
    Text(const char* bytes, int32_t count);
    void Assign(const char* bytes, int32_t count);
    void AppendBytes(const char* bytes, int32_t count);

    char* data;
    int32_t length;
};

Text operator+(const Text& left, const char* right);
Text operator+(const Text& left, const Text& right);

// White space as the C locale's isspace sees it; no byte from 0x80 up.
bool IsWhiteSpace(char c);

// The decimal digits of a number, as messages name codes and statuses.
Text DecimalText(uint32_t number);
