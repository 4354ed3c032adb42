#include "submit/PostForm.h"

#include "core/Text.h"
#include "http/PostExchange.h"
#include "state/ProgramState.h"

int PostForm(const Text& url, Text& error) {
    PostExchange exchange{fieldNames, fieldValues, cachePath, scratchFile, frameWindow.Handle()};
    error = exchange.Post(url);
    return error.IsEmpty() ? 1 : 0;
}
