// Lifecycle exports and the glue between the library's modules.
#include "tarvellkit/tarvellkit.h"
