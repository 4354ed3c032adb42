#include "rules/Charset.h"

#include <stdint.h>

#include "core/Text.h"

Text CharsetName(uint32_t codePage) {
    if (codePage >= 1250 && codePage <= 1258) {
        Text name("windows-125");
        name.Append(static_cast<char>('0' + codePage - 1250));
        return name;
    }
    switch (codePage) {
    case 874:
        return Text("windows-874");
    case 932:
        return Text("shift_jis");
    case 936:
        return Text("gbk");
    case 949:
        return Text("ks_c_5601-1987");
    case 950:
        return Text("big5");
    case 65001:  // the program's own, where Windows honours its manifest
        return Text("utf-8");
    default:
        return Text();
    }
}
