#pragma once

// Reads and checks the form's inputs and refills fieldNames and fieldValues
// with the seven fields the service expects. False when the user has been
// told what to correct.
bool CollectForm();

// Each input takes at most kInputCapacity - 1 characters, as many as are read.
const int kInputCapacity = 256;
