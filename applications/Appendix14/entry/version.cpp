// The library's version: the build's project version.
#include "../include/txappendix14_context.h"

extern "C" TX_API const char* tx14_version(void) { return TX14_VERSION; }
