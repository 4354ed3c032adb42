#include "http/Deadline.h"

Deadline::Deadline(DWORD ms) : remainingMs(ms) { Resume(); }

Deadline::~Deadline() {
    if (timer) CloseHandle(timer);
}

void Deadline::Pause() {
    if (!timer) return;
    CancelWaitableTimer(timer);
    const DWORD spent = GetTickCount() - resumedAt;
    remainingMs = spent < remainingMs ? remainingMs - spent : 0;
}

void Deadline::Resume() {
    if (!timer) return;
    resumedAt = GetTickCount();
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(remainingMs) * 10000;  // from now, in 100 ns
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
}

bool Deadline::Passed() const { return timer && WaitForSingleObject(timer, 0) == WAIT_OBJECT_0; }

bool Deadline::Wait(HANDLE handle) const {
    if (!timer) return WaitForSingleObject(handle, INFINITE) == WAIT_OBJECT_0;
    const HANDLE wakers[] = {handle, timer};
    return WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_OBJECT_0;
}
