#pragma once

#include <windows.h>

// Room for what a query of the system or of a peer writes, however long it is:
// asked with some room first, then again with as much as the query says it
// needs. Wiped before it goes: it may hold a password.
class QueryBuffer {
public:
    QueryBuffer() = default;
    ~QueryBuffer() { Take(0); }
    QueryBuffer(const QueryBuffer&) = delete;
    QueryBuffer& operator=(const QueryBuffer&) = delete;

    // `query(bytes, size)` either writes at most `size` bytes and returns true,
    // or returns false, and where the room was short (ERROR_INSUFFICIENT_BUFFER)
    // sets `size` to the room it needs, as the system's queries do. True once a
    // query has succeeded; its bytes are then followed by at least one NUL.
    template <class Query>
    bool Fill(Query query) {
        for (DWORD room = kFirstRoom;;) {
            Take(room);
            DWORD size = room;
            if (query(bytes, size)) return true;
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= room) return false;
            room = size;
        }
    }

    char* Bytes() const { return bytes; }  // null until filled
    bool IsEmpty() const { return !bytes || !*bytes; }

private:
    static const DWORD kFirstRoom = 256;  // enough for nearly every answer
    void Take(DWORD room);                // the old bytes wiped and freed; room + 1 zeroed bytes, or none

    char* bytes = nullptr;
    DWORD capacity = 0;
};
