#include "http/QueryBuffer.h"

void QueryBuffer::Take(DWORD room) {
    if (bytes) {
        SecureZeroMemory(bytes, capacity);
        delete[] bytes;
    }
    bytes = room ? new char[room + 1]() : nullptr;
    capacity = room ? room + 1 : 0;
}
