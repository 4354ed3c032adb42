#pragma once

#include "core/TextList.h"

// The seven fields of a filled-in form, as the collector leaves them in the lists.
inline void FillSampleForm(TextList& names, TextList& values, const char* phone = "0123") {
    const char* fields[][2] = {{"EmailAddress", "jo@example.com"}, {"EmailType", "2"},
                               {"rootURL", "http://crm.example.com/"}, {"SelectProduct", "2"},
                               {"HowReached", "Other"}, {"FullName", "Jo Bloggs"}, {"Phone", phone}};
    names.Clear();
    values.Clear();
    for (auto& field : fields) {
        names.Add(field[0]);
        values.Add(field[1]);
    }
}
