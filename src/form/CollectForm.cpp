#include "form/CollectForm.h"

#include "config/VendorUrls.h"
#include "desktop/ErrorBox.h"
#include "desktop/Platform.h"
#include "resource.h"
#include "rules/EmailCheck.h"
#include "state/ProgramState.h"

namespace {

void AddField(const char* name, const char* value) {
    fieldNames.Add(name);
    fieldValues.Add(value);
}

void RefuseInput(const char* message, int control) {
    ShowError(message);
    dialogWindow.FocusControl(control);
}

}  // namespace

bool CollectForm() {
    fieldNames.Clear();
    fieldValues.Clear();
    char input[kInputBytes + 1];

    dialogWindow.ControlText(IDC_EMAIL, input, sizeof input);
    if (!IsAcceptableEmail(input, FormCodePageLayout())) {
        RefuseInput("Please Provide a Valid Email.", IDC_EMAIL);
        return false;
    }
    AddField("EmailAddress", input);
    AddField("EmailType", "2");
    AddField("rootURL", kRootUrl);
    AddField("SelectProduct", "2");
    AddField("HowReached", "Other");

    if (dialogWindow.ControlText(IDC_FULL_NAME, input, sizeof input) == 0) {
        RefuseInput("Please Provide Name.", IDC_FULL_NAME);
        return false;
    }
    AddField("FullName", input);
    dialogWindow.ControlText(IDC_PHONE, input, sizeof input);
    AddField("Phone", input);
    return true;
}
