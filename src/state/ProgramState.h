#pragma once

// Program-wide state: these live for the whole process.
//
// Two threads share them: the form's thread, which owns the dialog, and the one
// worker a run starts. Who writes what, and what orders it:
// - fieldNames, fieldValues, cachePath: written by the form's thread before it
//   starts the worker, then only read by the worker. CreateThread orders them:
//   everything written before it is seen by the new thread. Submit starts no
//   second worker, so they are never written again while one runs.
// - workerThread: the form's thread alone.
// - submitted: set by the worker, read by the form's thread when the form closes
//   and when the program ends: an atomic flag.
// - browserPath (desktop/Browser.h): written by the one thread that takes the
//   run's only page turn, an atomic exchange; no other thread touches it.
// - scratchFile: opened, written and removed by the worker; abandoned by the
//   form's thread when the program ends without waiting for the worker. The
//   two take turns on a critical section inside it, made before WinMain.
// - dialogWindow, frameWindow: attached by the form's thread at WM_INITDIALOG,
//   before any worker exists. The worker changes the controls and closes the
//   form through the window system, which carries each call over to the form's
//   thread and waits for it there.
// - WinInet's functions (http/WinInet.h): resolved by the worker alone.
// The process ends with the form: EndSubmission lets a finishing worker return
// first, and ends an abandoned one with the process.

#include <windows.h>

#include <atomic>

#include "core/TextList.h"
#include "desktop/WindowWrapper.h"
#include "http/ScratchFile.h"

extern ScratchFile scratchFile;
extern DialogWrapper dialogWindow;
extern WindowWrapper frameWindow;  // the worker closes the form through it
extern TextList fieldNames;
extern TextList fieldValues;  // kept in step with fieldNames

extern char* cachePath;                // heap string; null until the first read
extern std::atomic<bool> submitted;    // set by the worker just before it closes the form
extern HANDLE workerThread;
