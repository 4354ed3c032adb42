#pragma once

// The form's e-mail rule: not empty, at least one "@" and one ".", anywhere.
bool IsAcceptableEmail(const char* address);
