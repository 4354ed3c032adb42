#include "desktop/BrowserCommand.h"

#include <stdint.h>

#include "core/Text.h"

Text ProgramPathFromCommand(const Text& command) {
    const int32_t quote = command.Find('"');
    if (quote < 0) {
        const int32_t blank = command.Find(' ');
        return blank < 0 ? command : command.Left(blank);
    }
    Text before = command.Left(quote);
    before.TrimLeft();
    before.TrimRight();
    if (before.IsEmpty()) {
        // A quoted path: up to the closing quote, if there is one.
        const Text quoted = command.Mid(quote + 1);
        const int32_t closing = quoted.Find('"');
        return closing < 0 ? quoted : quoted.Left(closing);
    }
    // An unquoted path before a quoted argument: drop the last word.
    const int32_t lastBlank = before.ReverseFind(' ');
    return lastBlank < 0 ? before : before.Left(lastBlank);
}
