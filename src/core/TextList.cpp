#include "core/TextList.h"

#include <stdint.h>
#include <string.h>

TextList::TextList()
    : count(0), current(0), fresh(true), first(nullptr), cursor(nullptr), last(nullptr) {}

TextList::~TextList() { Clear(); }

int32_t TextList::Add(const char* text) {
    const size_t size = strlen(text) + 1;
    Node* node = new Node;
    node->number = count + 1;
    node->text = new char[size];
    memcpy(node->text, text, size);
    node->next = nullptr;
    if (last) {
        last->next = node;
    } else {
        first = node;
    }
    last = node;
    count = node->number;
    cursor = nullptr;
    fresh = true;
    current = 0;
    return count;
}

bool TextList::First() {
    if (!first) return false;
    cursor = first;
    fresh = true;
    return true;
}

const char* TextList::Next(bool& more) {
    // A cursor that has run off the end stays there: no node to step from.
    if (!fresh && cursor) cursor = cursor->next;
    fresh = false;
    if (!cursor) {
        current = 0;
        more = false;
        return nullptr;
    }
    current = cursor->number;
    more = cursor->number != count;
    return cursor->text;
}

void TextList::Clear() {
    Node* node = first;
    while (node) {
        Node* next = node->next;
        delete[] node->text;
        delete node;
        node = next;
    }
    count = 0;
    current = 0;
    fresh = true;
    first = cursor = last = nullptr;
}
