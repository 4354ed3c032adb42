#pragma once

// The program's functions that hold buffers on the stack are built with a guard
// (-fstack-protector-strong): a value placed below their buffers on entry and
// checked on return. An overrun of a stack buffer ends the process at once with
// STATUS_STACK_BUFFER_OVERRUN, running none of the program's handlers.

// A fresh random guard for this run. The start-up calls it first, before any
// function that uses the guard has been entered; it must not be called later.
void SetStackGuard();
