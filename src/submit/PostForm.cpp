#include "submit/PostForm.h"

#include "core/Text.h"
#include "form/ProgramState.h"
#include "http/FormPost.h"

namespace {

// A proxy's sign-in dialog is owned by the form.
FormPost ProgramForm() { return {fieldNames, fieldValues, cachePath, scratchFile, frameWindow.Handle()}; }

}  // namespace

void PostForm(const Text& url, Text& error) { ProgramForm().Post(url, error); }

Text SendForm(HINTERNET request) { return ProgramForm().Send(request); }
