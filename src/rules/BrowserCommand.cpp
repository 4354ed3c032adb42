#include "rules/BrowserCommand.h"

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

Text ResolveProgramPath(const Text& command, FileExists exists) {
    Text unquoted(command);
    unquoted.TrimLeft();
    if (unquoted.CharAt(0) == '"') return ProgramPathFromCommand(command);
    const int32_t quote = unquoted.Find('"');
    if (quote >= 0) unquoted = unquoted.Left(quote);
    for (int32_t end = 1; end <= unquoted.Length(); ++end) {
        if (end < unquoted.Length() && unquoted.CharAt(end) != ' ') continue;
        const Text candidate = unquoted.Left(end);
        if (exists(candidate.Data())) return candidate;
        const Text program = candidate + ".exe";
        if (exists(program.Data())) return program;
    }
    return ProgramPathFromCommand(command);
}
