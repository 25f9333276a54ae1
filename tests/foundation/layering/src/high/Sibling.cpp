// A file beside the module's own headers, found relative to the includer.
#include "High.h"
