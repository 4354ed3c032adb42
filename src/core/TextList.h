#pragma once

#include <stdint.h>

// Texts kept in the order they were added, handed out again through a cursor.
// A walk: First(), then Next() until `more` comes back false.
class TextList {
public:
    TextList();
    ~TextList();
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;

    // Copies `text` (never null) into a new node; returns the new count.
    int32_t Add(const char* text);

    // Places the cursor on the oldest node; false when the list is empty.
    bool First();

    // The text of the next node (owned by the list), or null when the walk
    // has passed the newest node. `more` is true while newer nodes follow.
    // Once it has returned null it keeps doing so until First, Add or Clear.
    const char* Next(bool& more);

    void Clear();

    int32_t Count() const { return count; }
    int32_t Current() const { return current; }

private:
    struct Node {
        int32_t number;
        char* text;
        Node* next;
    };

    int32_t count;
    int32_t current;
    bool fresh;
    Node* first;
    Node* cursor;
    Node* last;
};
