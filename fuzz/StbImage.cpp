// The fuzz programs carry the image decoder's own code, so that it is instrumented too
// (the shared library of the normal build is not).
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
