// Uses a third-party library the module does not link.
#include <tinyxml2.h>
