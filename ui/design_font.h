#pragma once

// The fonts the windows' designs name, made for a given dpi.

#include "platform/win32_raii.h"

#include <windows.h>

// Pixel height of the em of a font of hundredthsOfPoint at dpi, as CreateFont takes it
// (negative lfHeight).
int FontEmPixels(int hundredthsOfPoint, UINT dpi);

// A font of the design's face at the given size for a window at dpi. A face that cannot be
// drawn at that size (a bitmap face has only a few sizes) is replaced by a scalable sans-serif
// face that can, so the text grows with the window; the design's face is kept where it fits.
UniqueFont CreateDesignFont(const char* face, int hundredthsOfPoint, UINT dpi, int weight,
                            bool underline);
