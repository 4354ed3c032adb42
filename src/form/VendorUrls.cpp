#include "form/VendorUrls.h"

// VENDOR_WEB_HOST and VENDOR_CRM_HOST are host[:port]; VENDOR_CRM_NAME is the
// CRM host without its port. The build sets all three.
const char kHomePageUrl[] = "http://" VENDOR_WEB_HOST;
const char kThankYouPageUrl[] = "http://" VENDOR_WEB_HOST "/english/downloads/thankyou.html";
const char kEndpointUrl[] = "http://" VENDOR_CRM_HOST "/frmAction/download.aspx?FromSite=yes";
const char kRootUrl[] = "http://" VENDOR_CRM_NAME "/";
