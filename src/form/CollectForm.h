#pragma once

// Reads and checks the form's inputs and refills fieldNames and fieldValues
// with the seven fields the service expects. False when the user has been
// told what to correct.
bool CollectForm();

// Typed or pasted, an input takes at most this many characters (UTF-16 units,
// as the input counts them).
const int kInputCharacters = 255;

// What is read of an input, in bytes of the ANSI code page, whole characters
// only: 255 characters take up to 765 (UTF-8) or 510 (a double-byte code page).
// Text another program sets is read whole up to this bound, which keeps the
// largest form within the 64 KiB the service takes: every byte of a field may
// become three (%XX) in the body.
const int kInputBytes = 7 * 1024;
