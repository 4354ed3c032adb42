// Any open command gives a program path that is a piece of the command and
// holds no quote. Resolved against a disk with one file, a path other than the
// command's own cut is that file, named by an unquoted start of the command after
// its white space (as it is or with ".exe") that ends at a blank, before a quote or
// at the end.
#include <stdint.h>
#include <string.h>

#include <string>

#include "FuzzCheck.h"
#include "rules/BrowserCommand.h"

namespace {

size_t fileLength = 0;  // the one file on the disk: any path of this length
bool Exists(const char* path) { return strlen(path) == fileLength; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string command(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const Text path = ProgramPathFromCommand(Text(command.c_str()));
    FUZZ_CHECK(path.Length() <= static_cast<int32_t>(command.size()));
    FUZZ_CHECK(strchr(path.Data(), '"') == nullptr);
    FUZZ_CHECK(command.find(path.Data()) != std::string::npos);
    if (command.find('"') == std::string::npos) FUZZ_CHECK(strchr(path.Data(), ' ') == nullptr);

    fileLength = 1 + (size ? data[size - 1] % 63 : 0);
    const Text resolved = ResolveProgramPath(Text(command.c_str()), Exists);
    if (strcmp(resolved.Data(), path.Data()) == 0) return 0;
    const size_t first = command.find_first_not_of(" \t\n\v\f\r");  // where an unquoted path starts
    FUZZ_CHECK(Exists(resolved.Data()) && first != std::string::npos && command[first] != '"');
    std::string start(resolved.Data());
    if (command.compare(first, start.size(), start) != 0) {  // then the start with ".exe" added
        FUZZ_CHECK(start.size() > 4 && start.compare(start.size() - 4, 4, ".exe") == 0);
        start.resize(start.size() - 4);
        FUZZ_CHECK(!start.empty() && command.compare(first, start.size(), start) == 0);
    }
    const size_t end = first + start.size();
    FUZZ_CHECK(start.find('"') == std::string::npos);
    FUZZ_CHECK(end == command.size() || command[end] == ' ' || command[end] == '"');
    return 0;
}
