#pragma once

// The browser's program path from the last successful lookup (heap string), or null.
extern char* browserPath;

// Finds the program registered to open .htm files. On success `out` is
// replaced by a fresh heap copy of its path; on failure the user is told why.
bool FindBrowser(char*& out);

// Starts programPath with pageUrl as its first argument; true when it started.
bool LaunchBrowser(const char* programPath, const char* pageUrl);

// Looks the browser up into browserPath and starts it on pageUrl. Only the
// first call of a run does so; every later one, from either thread, opens
// nothing and returns false.
bool OpenPage(const char* pageUrl);
