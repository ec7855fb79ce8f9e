#include "skin/BitmapFile.h"

namespace
{
const uint32_t kUncompressed = 0;
const uint32_t kColourMasks = 3;
const size_t kFileHeader = 14;
const size_t kInfoHeader = 40;

uint32_t ReadLittleEndian(const uint8_t* pData, size_t nOffset, int nBytes)
{
	uint32_t n = 0;
	for (int i = nBytes - 1; i >= 0; --i)
		n = (n << 8) | pData[nOffset + i];
	return n;
}

// The size of a signed 32-bit field (a bottom-up bitmap has a negative height).
uint64_t ReadMagnitude(const uint8_t* pData, size_t nOffset)
{
	int64_t n = static_cast<int32_t>(ReadLittleEndian(pData, nOffset, 4));
	return static_cast<uint64_t>(n < 0 ? -n : n);
}
}

bool IsTruncatedBitmapFile(const uint8_t* pData, size_t cbData)
{
	if (cbData < 2 || pData[0] != 'B' || pData[1] != 'M')
		return false;
	if (cbData < kFileHeader + kInfoHeader)
		return true;
	uint32_t nOffBits = ReadLittleEndian(pData, 10, 4);
	uint32_t nHeaderSize = ReadLittleEndian(pData, 14, 4);
	uint32_t nCompression = ReadLittleEndian(pData, 30, 4);
	if (nHeaderSize < kInfoHeader || (nCompression != kUncompressed && nCompression != kColourMasks))
		return false;
	if (nOffBits > cbData)
		return true;
	// A row holds at most 2^31 pixels of 65535 bits, so the stride fits; the product of stride and rows
	// may not, and is never formed.
	uint64_t nStride = (ReadMagnitude(pData, 18) * ReadLittleEndian(pData, 28, 2) + 31) / 32 * 4;
	uint64_t nRoom = cbData - nOffBits;
	return nStride > 0 && ReadMagnitude(pData, 22) > nRoom / nStride;
}

size_t FindPlainBitmapPixels(const uint8_t* pData, size_t cbData, int32_t nMaxSide)
{
	if (cbData < kFileHeader + kInfoHeader || pData[0] != 'B' || pData[1] != 'M' ||
		IsTruncatedBitmapFile(pData, cbData))
		return 0;
	uint32_t nOffBits = ReadLittleEndian(pData, 10, 4);
	uint32_t nHeaderSize = ReadLittleEndian(pData, 14, 4);
	int32_t nWidth = static_cast<int32_t>(ReadLittleEndian(pData, 18, 4));
	int32_t nHeight = static_cast<int32_t>(ReadLittleEndian(pData, 22, 4));
	uint32_t nPlanes = ReadLittleEndian(pData, 26, 2);
	uint32_t nBits = ReadLittleEndian(pData, 28, 2);
	uint32_t nCompression = ReadLittleEndian(pData, 30, 4);
	uint32_t nClrUsed = ReadLittleEndian(pData, 46, 4);
	bool bMasks = nCompression == kColourMasks && (nBits == 16 || nBits == 32);
	if (nHeaderSize < kInfoHeader || nHeaderSize > 124 || nPlanes != 1 || (nCompression != kUncompressed && !bMasks) ||
		(nBits != 4 && nBits != 8 && nBits != 16 && nBits != 24 && nBits != 32) || (nBits > 8 && nClrUsed != 0) ||
		(nBits <= 8 && nClrUsed > (1u << nBits)))
		return 0;
	if (nWidth <= 0 || nWidth > nMaxSide || nHeight == 0 || nHeight < -nMaxSide || nHeight > nMaxSide)
		return 0;
	// The masks of a 40-byte header follow it; a larger header holds them.
	uint64_t nColours = nBits <= 8 ? (nClrUsed ? nClrUsed : 1u << nBits) : 0;
	uint64_t nTableEnd = kFileHeader + nHeaderSize + (nHeaderSize == kInfoHeader && bMasks ? 12 : 0) + nColours * 4;
	if (nTableEnd > nOffBits || nOffBits >= cbData)
		return 0;
	return nOffBits;
}
