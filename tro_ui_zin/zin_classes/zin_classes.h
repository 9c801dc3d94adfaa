#pragma once
// The script value types, timers and the simplest paint parts, in one include.

#include "base.h"
#include "bitmap_image.h"
#include "color_rect.h"
#include "picture.h"
#include "timer.h"
#include "values.h"
