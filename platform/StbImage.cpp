#define STB_IMAGE_IMPLEMENTATION
#include "StbImage.h"
