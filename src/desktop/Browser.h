#pragma once

// The browser's program path from the last successful lookup (heap string), or
// null: none yet, or the chosen browser has no command of its own.
extern char* browserPath;

// Finds the person's default browser for pageUrl as Windows decides it: the
// choice for the page's scheme, then the choice for .htm (both per user, from
// Windows 8 on), then the class registered for .htm. On success `out` is
// replaced by a fresh heap copy of its program path, or by null when the
// browser's class has no command (the shell must open the page); on failure
// the user is told why.
bool FindBrowser(char*& out, const char* pageUrl);

// Starts programPath with pageUrl as its first argument; true when it started.
bool LaunchBrowser(const char* programPath, const char* pageUrl);

// Looks the browser up into browserPath and opens pageUrl in it; a browser
// without a command, or one that will not start, is left to the shell. Only the
// first call of a run does so; every later one, from either thread, opens
// nothing and returns false.
bool OpenPage(const char* pageUrl);
