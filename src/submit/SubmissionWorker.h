#pragma once

#include <windows.h>

// The thread that runs one submission, from the wait label to the closing of
// the form. The parameter is not used; returns 1.
DWORD WINAPI SubmissionWorker(LPVOID parameter);

// Called once the form has closed. A worker that closed the form itself is let
// finish; one the user left behind (it may wait on a server that never answers)
// is abandoned: its scratch file is removed and the process ends here, before
// anything the worker uses is destroyed.
void EndSubmission();
