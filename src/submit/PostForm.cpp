#include "submit/PostForm.h"

#include "core/Text.h"
#include "form/ProgramState.h"
#include "http/FormPost.h"

namespace {

FormPost ProgramForm() { return {fieldNames, fieldValues, cachePath, scratchFile}; }

}  // namespace

int PostForm(const Text& url, Text& error) { return ProgramForm().Post(url, error); }

Text SendForm(HINTERNET request) { return ProgramForm().Send(request); }
