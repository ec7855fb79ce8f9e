// The platform's OLE picture loader (bitmap, JPEG, GIF, icon, metafile) over bytes held in memory.
#pragma once

#include "framework/ComPtr.h"

#include <windows.h>
#include <olectl.h>

#include <cstddef>

// The picture the bytes hold; empty when the loader refuses them.
CComPtr<IPicture> AfxLoadPicture(const void* pData, size_t cbData);
