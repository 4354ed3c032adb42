// TextList walks driven by the input, checked against a vector and a cursor.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "core/TextList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TextList list;
    std::vector<std::string> model;
    size_t position = 0;  // the node the cursor stands on, 1-based; 0: none
    bool fresh = true;
    for (size_t at = 0; at < size; ++at) {
        switch (data[at] % 4) {
        case 0: {
            const std::string text(1 + data[at] / 4 % 5, static_cast<char>('a' + at % 26));
            model.push_back(text);
            FUZZ_CHECK(list.Add(text.c_str()) == static_cast<int32_t>(model.size()));
            FUZZ_CHECK(list.Current() == 0);
            position = 0;
            fresh = true;
            break;
        }
        case 1:
            FUZZ_CHECK(list.First() == !model.empty());
            if (!model.empty()) {
                position = 1;
                fresh = true;
            }
            break;
        case 2: {
            bool more = true;
            const char* text = list.Next(more);
            if (!fresh && position != 0) position = position < model.size() ? position + 1 : 0;
            fresh = false;
            if (position == 0) {
                FUZZ_CHECK(text == nullptr && !more && list.Current() == 0);
            } else {
                FUZZ_CHECK(text != nullptr && model[position - 1] == text);
                FUZZ_CHECK(more == (position != model.size()));
                FUZZ_CHECK(list.Current() == static_cast<int32_t>(position));
            }
            break;
        }
        default:
            list.Clear();
            model.clear();
            position = 0;
            fresh = true;
            FUZZ_CHECK(list.Count() == 0 && !list.First());
            break;
        }
        FUZZ_CHECK(list.Count() == static_cast<int32_t>(model.size()));
    }
    return 0;
}
