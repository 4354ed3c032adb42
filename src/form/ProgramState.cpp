#include "form/ProgramState.h"

// Defined together so that they are constructed in this order and destroyed in reverse.
ScratchFile scratchFile;
DialogWrapper dialogWindow;
WindowWrapper frameWindow;
TextList fieldNames;
TextList fieldValues;

char* cachePath = nullptr;
volatile bool submitted = false;
HANDLE workerThread = nullptr;
DWORD workerThreadId = 0;
