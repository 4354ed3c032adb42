#pragma once

#include <windows.h>

// A bound on a whole exchange, beside WinInet's limits, which apply to each wait
// alone: a peer that sends a byte every few seconds meets none of them. The
// exchange looks at it between the pieces of the answer, and waits on it while a
// request is sent. Time a person spends in a dialog does not count: Pause()
// before it, Resume() after. Where the system makes no timer, there is no bound.
class Deadline {
public:
    explicit Deadline(DWORD ms);  // from now
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    void Pause();
    void Resume();
    bool Passed() const;
    // Waits until `handle` is signalled (a thread has ended); false when the
    // deadline passed first.
    bool Wait(HANDLE handle) const;

private:
    HANDLE timer = CreateWaitableTimerA(nullptr, TRUE, nullptr);
    DWORD remainingMs;
    DWORD resumedAt = 0;
};
