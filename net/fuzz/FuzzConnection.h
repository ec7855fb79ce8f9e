// A connection replayed from fuzz input, for the targets over the header reader and the download. The
// first four input bytes say how the rest arrives: in segments of what sizes, after what waits, and how
// the connection ends (closed, failed, or an endless stream of 'x' after the input).
#pragma once

#include "net/DownloadResponse.h"
#include "net/ResponseHeader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

inline void Check(bool bCondition)
{
	if (!bCondition)
		std::abort();
}

class CFuzzConnection : public CHeaderSource, public CBodySource
{
public:
	static const size_t kControlBytes = 4;

	// pData holds the control bytes and then the stream.
	CFuzzConnection(const uint8_t* pData, size_t cbData)
	{
		uint8_t control[kControlBytes] = {};
		memcpy(control, pData, cbData < kControlBytes ? cbData : kControlBytes);
		m_pStream = cbData > kControlBytes ? pData + kControlBytes : pData;
		m_nStream = cbData > kControlBytes ? cbData - kControlBytes : 0;
		static const size_t kLargest[4] = {1, 7, 200, 5000};
		m_nLargestSegment = kLargest[control[0] & 3];
		m_nRandom = control[1] * 2654435761u + 1;
		m_bFailAtEnd = control[2] & 1;
		m_bEndless = control[2] & 2;
		m_nCapacityClass = control[2] >> 2;
		// Near the wrap of the clock now and then.
		m_nClock = control[3] & 1 ? 0xFFFFFFFFu - control[3] * 100u : control[3];
	}

	// The header buffer: the product's size, or a small one for the edges.
	int HeaderCapacity() const { return m_nCapacityClass < 48 ? 1024 : 1 + m_nCapacityClass % 16; }
	bool Endless() const { return m_bEndless; }
	size_t Position() const { return m_nPosition; }
	// The byte at a position of the whole stream (with the endless tail).
	char At(size_t nPosition) const { return nPosition < m_nStream ? static_cast<char>(m_pStream[nPosition]) : 'x'; }

	int Peek(char* pBuffer, int nCapacity) override
	{
		Check(nCapacity > 0);
		if (m_nPosition == m_nSegmentEnd && !Arrive())
			return m_bFailAtEnd ? -1 : 0;
		m_nPeeked = static_cast<int>(m_nSegmentEnd - m_nPosition < static_cast<size_t>(nCapacity)
			? m_nSegmentEnd - m_nPosition : static_cast<size_t>(nCapacity));
		Copy(pBuffer, m_nPeeked);
		return m_nPeeked;
	}

	int Take(char* pBuffer, int nCount) override
	{
		// Only what the last look showed, and never twice.
		Check(nCount > 0 && nCount <= m_nPeeked);
		Copy(pBuffer, nCount);
		m_nPosition += static_cast<size_t>(nCount);
		m_nPeeked = 0;
		return nCount;
	}

	uint32_t Ticks() override { return m_nClock; }

	long Receive(char* pBuffer, long nCapacity) override
	{
		int nCount = Peek(pBuffer, static_cast<int>(nCapacity));
		return nCount > 0 ? Take(pBuffer, nCount) : nCount;
	}

private:
	// The next segment arrives, after a wait; false when the stream has ended.
	bool Arrive()
	{
		if (m_nPosition >= m_nStream && !m_bEndless)
			return false;
		m_nRandom = m_nRandom * 1103515245u + 12345u;
		size_t nSize = 1 + (m_nRandom >> 8) % m_nLargestSegment;
		if (m_nPosition < m_nStream && m_nPosition + nSize > m_nStream)
			nSize = m_nStream - m_nPosition;
		m_nSegmentEnd = m_nPosition + nSize;
		m_nClock += (m_nRandom >> 4) % 4 == 0 ? kZeroByteWaitMs + (m_nRandom >> 20) % 3 - 1 : (m_nRandom >> 12) % 50;
		return true;
	}

	void Copy(char* pBuffer, int nCount) const
	{
		size_t nFromStream = m_nPosition < m_nStream ? m_nStream - m_nPosition : 0;
		if (nFromStream > static_cast<size_t>(nCount))
			nFromStream = static_cast<size_t>(nCount);
		if (nFromStream > 0)
			memcpy(pBuffer, m_pStream + m_nPosition, nFromStream);
		memset(pBuffer + nFromStream, 'x', static_cast<size_t>(nCount) - nFromStream);
	}

	const uint8_t* m_pStream;
	size_t m_nStream;
	size_t m_nLargestSegment;
	uint32_t m_nRandom;
	bool m_bFailAtEnd;
	bool m_bEndless;
	unsigned m_nCapacityClass;
	uint32_t m_nClock;
	size_t m_nPosition = 0;
	size_t m_nSegmentEnd = 0;
	int m_nPeeked = 0;
};
