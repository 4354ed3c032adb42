#include "state/ProgramState.h"

#include <atomic>

#include "core/TextList.h"
#include "desktop/WindowWrapper.h"
#include "http/ScratchFile.h"

// Defined together so that they are constructed in this order and destroyed in reverse.
ScratchFile scratchFile;
DialogWrapper dialogWindow;
WindowWrapper frameWindow;
TextList fieldNames;
TextList fieldValues;

char* cachePath = nullptr;
std::atomic<bool> submitted{false};
HANDLE workerThread = nullptr;
