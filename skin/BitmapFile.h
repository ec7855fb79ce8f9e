// Checks of a bitmap file's headers before its pixels are handed to the system: a skin folder may come from
// anywhere. Plain C++, so that a native fuzzer runs it.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether the data is a bitmap file ("BM", uncompressed or with colour masks) whose rows run past its end.
bool IsTruncatedBitmapFile(const uint8_t* pData, size_t cbData);
// For a plain bitmap file (4 to 32 bits a pixel, uncompressed or with colour masks, its sides at most nMaxSide,
// its headers, colour table and rows whole): the offset of its pixels. 0 for any other file.
size_t FindPlainBitmapPixels(const uint8_t* pData, size_t cbData, int32_t nMaxSide);
