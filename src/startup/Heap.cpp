// The program's heap: plain malloc and free. Running out of memory ends the
// process, which the program accepts; the standard library's throwing operator
// new would otherwise drag its exception machinery into a small executable.
#include <stdlib.h>

#include <new>

namespace {

void* Take(size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block) abort();
    return block;
}

}  // namespace

void* operator new(size_t size) { return Take(size); }
void* operator new[](size_t size) { return Take(size); }
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
