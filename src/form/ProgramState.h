#pragma once

// Program-wide state: these live for the whole process.

#include <windows.h>

#include "core/TextList.h"
#include "form/WindowWrapper.h"
#include "http/ScratchFile.h"

extern ScratchFile scratchFile;
extern DialogWrapper dialogWindow;
extern WindowWrapper frameWindow;  // the worker closes the form through it
extern TextList fieldNames;
extern TextList fieldValues;  // kept in step with fieldNames

extern char* cachePath;            // heap string; null until the first read
extern volatile bool submitted;    // set by the worker just before it closes the form
extern HANDLE workerThread;
extern DWORD workerThreadId;
