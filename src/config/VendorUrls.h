#pragma once

// The vendor's addresses, fixed when the program is built.
extern const char kHomePageUrl[];
extern const char kThankYouPageUrl[];
extern const char kEndpointUrl[];
extern const char kRootUrl[];  // the customer-relations site, without its port
