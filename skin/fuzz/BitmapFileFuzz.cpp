// libFuzzer target: the checks of a skin's bitmap file. Whatever file the plain-bitmap check accepts, the
// system is then given its info header, its masks and colour table, and |height| rows from the pixel offset:
// all of them must lie inside the data, as computed here afresh.
#include "skin/BitmapFile.h"

#include <cstdlib>

namespace
{
uint64_t Field(const uint8_t* pData, size_t nOffset, int nBytes)
{
	uint64_t n = 0;
	for (int i = 0; i < nBytes; ++i)
		n |= static_cast<uint64_t>(pData[nOffset + i]) << (8 * i);
	return n;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
	const int32_t kMaxSide = 32767;
	bool bTruncated = IsTruncatedBitmapFile(pData, cbData);
	size_t nPixels = FindPlainBitmapPixels(pData, cbData, kMaxSide);
	if (nPixels == 0)
		return 0;
	if (bTruncated || cbData < 54)
		abort();
	int64_t nWidth = static_cast<int32_t>(Field(pData, 18, 4));
	int64_t nHeight = static_cast<int32_t>(Field(pData, 22, 4));
	uint64_t nHeaderSize = Field(pData, 14, 4);
	uint64_t nBits = Field(pData, 28, 2);
	uint64_t nUsed = Field(pData, 46, 4);
	if (nWidth <= 0 || nWidth > kMaxSide || nHeight == 0 || nHeight > kMaxSide || nHeight < -kMaxSide)
		abort();
	uint64_t nTable = nBits <= 8 ? (nUsed ? nUsed : 1u << nBits) * 4 : (Field(pData, 30, 4) == 3 && nHeaderSize == 40 ? 12 : 0);
	if (14 + nHeaderSize + nTable > nPixels)
		abort();
	uint64_t nRows = static_cast<uint64_t>(nHeight < 0 ? -nHeight : nHeight);
	uint64_t nStride = (static_cast<uint64_t>(nWidth) * nBits + 31) / 32 * 4;
	if (nPixels + nStride * nRows > cbData)
		abort();
	return 0;
}
