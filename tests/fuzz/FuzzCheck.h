#pragma once

#include <stdio.h>
#include <stdlib.h>

// A broken property stops the fuzzer with the input that broke it.
#define FUZZ_CHECK(condition)                                                   \
    do {                                                                        \
        if (!(condition)) {                                                     \
            fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, \
                    #condition);                                                \
            abort();                                                            \
        }                                                                       \
    } while (0)
