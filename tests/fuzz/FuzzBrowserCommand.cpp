// Any open command gives a program path that is a piece of the command and
// holds no quote.
#include <stdint.h>
#include <string.h>

#include <string>

#include "FuzzCheck.h"
#include "desktop/BrowserCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string command(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const Text path = ProgramPathFromCommand(Text(command.c_str()));
    FUZZ_CHECK(path.Length() <= static_cast<int32_t>(command.size()));
    FUZZ_CHECK(strchr(path.Data(), '"') == nullptr);
    FUZZ_CHECK(command.find(path.Data()) != std::string::npos);
    if (command.find('"') == std::string::npos) FUZZ_CHECK(strchr(path.Data(), ' ') == nullptr);
    return 0;
}
