#include "config/VendorUrls.h"

// VENDOR_WEB_URL and VENDOR_CRM_URL are scheme://host[:port], each with the
// scheme its build variable named (http without one); VENDOR_CRM_NAME is the
// customer-relations host alone. The build sets all three.
const char kHomePageUrl[] = VENDOR_WEB_URL;
const char kThankYouPageUrl[] = VENDOR_WEB_URL "/english/downloads/thankyou.html";
const char kEndpointUrl[] = VENDOR_CRM_URL "/frmAction/download.aspx?FromSite=yes";
// The service knows the site by this name, always given as http, whatever the scheme.
const char kRootUrl[] = "http://" VENDOR_CRM_NAME "/";
