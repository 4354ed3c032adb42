#pragma once

#include <windows.h>

// A lock that needs no set-up before first use and exists on every Windows:
// a flag taken with an interlocked exchange. For rare, short waits only.
class TurnLock {
public:
    explicit TurnLock(volatile LONG& flag) : flag(flag) {
        while (InterlockedExchange(&flag, 1) != 0) Sleep(10);
    }
    ~TurnLock() { InterlockedExchange(&flag, 0); }
    TurnLock(const TurnLock&) = delete;
    TurnLock& operator=(const TurnLock&) = delete;

private:
    volatile LONG& flag;
};
