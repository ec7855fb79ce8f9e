#include "net/ChunkedBody.h"

#include "framework/Digits.h"

#include <algorithm>

namespace
{
// The stream read a receive at a time, and handed out a byte or a run at a time.
class CChunkStream
{
public:
	explicit CChunkStream(CBodySource& source) : m_source(source) {}

	// The next byte, or -1 when the stream ended (End() says how).
	int Next()
	{
		if (m_nPos == m_nEnd && !Fill())
			return -1;
		return static_cast<unsigned char>(m_buffer[m_nPos++]);
	}

	// Appends the next nCount bytes to str; false when the stream ended first.
	bool Append(std::string& str, size_t nCount)
	{
		while (nCount > 0)
		{
			if (m_nPos == m_nEnd && !Fill())
				return false;
			size_t nTake = std::min(nCount, m_nEnd - m_nPos);
			str.append(m_buffer + m_nPos, nTake);
			m_nPos += nTake;
			nCount -= nTake;
		}
		return true;
	}

	ChunkedEnd End() const { return m_end; }

private:
	bool Fill()
	{
		if (m_nRaw >= kMaxChunkedBytes)
		{
			m_end = ChunkedEnd::TooLarge;
			return false;
		}
		long nWant = static_cast<long>(std::min<int64_t>(sizeof(m_buffer), kMaxChunkedBytes - m_nRaw));
		long nReceived = m_source.Receive(m_buffer, nWant);
		if (nReceived <= 0)
		{
			m_end = nReceived == 0 ? ChunkedEnd::Closed : ChunkedEnd::Failed;
			return false;
		}
		m_nPos = 0;
		m_nEnd = static_cast<size_t>(std::min(nReceived, nWant));
		m_nRaw += static_cast<int64_t>(m_nEnd);
		return true;
	}

	CBodySource& m_source;
	char m_buffer[4096];
	size_t m_nPos = 0;
	size_t m_nEnd = 0;
	int64_t m_nRaw = 0;
	ChunkedEnd m_end = ChunkedEnd::Done;
};

// One line without its CR LF (or LF), at most kMaxChunkLine bytes.
ChunkedEnd ReadLine(CChunkStream& stream, std::string& strLine)
{
	strLine.clear();
	for (;;)
	{
		int ch = stream.Next();
		if (ch < 0)
			return stream.End();
		if (ch == '\n')
			break;
		if (strLine.size() == kMaxChunkLine)
			return ChunkedEnd::Malformed;
		strLine += static_cast<char>(ch);
	}
	if (!strLine.empty() && strLine.back() == '\r')
		strLine.pop_back();
	return ChunkedEnd::Done;
}

// The size of a size line: hex digits, then nothing or blanks and ";" with extensions. Sizes past
// kMaxDocumentBytes stop counting, so that no digit count can overflow.
ChunkedEnd ParseSize(const std::string& strLine, int64_t& nSize)
{
	size_t i = 0;
	nSize = 0;
	for (; i < strLine.size() && DigitValue(strLine[i]) < 16; ++i)
	{
		if (nSize <= kMaxDocumentBytes)
			nSize = nSize * 16 + DigitValue(strLine[i]);
	}
	if (i == 0)
		return ChunkedEnd::Malformed;
	while (i < strLine.size() && (strLine[i] == ' ' || strLine[i] == '\t'))
		++i;
	if (i < strLine.size() && strLine[i] != ';')
		return ChunkedEnd::Malformed;
	return ChunkedEnd::Done;
}
}

ChunkedEnd ReadChunkedBody(CBodySource& source, std::string& strBody)
{
	CChunkStream stream(source);
	std::string strLine;
	strBody.clear();
	for (;;)
	{
		int64_t nSize = 0;
		ChunkedEnd end = ReadLine(stream, strLine);
		if (end == ChunkedEnd::Done)
			end = ParseSize(strLine, nSize);
		if (end != ChunkedEnd::Done)
			return end;
		if (nSize == 0)
			return ChunkedEnd::Done;
		if (nSize > kMaxDocumentBytes - static_cast<int64_t>(strBody.size()))
			return ChunkedEnd::TooLarge;
		if (!stream.Append(strBody, static_cast<size_t>(nSize)))
			return stream.End();
		// The data ends with a line break of its own.
		end = ReadLine(stream, strLine);
		if (end != ChunkedEnd::Done)
			return end;
		if (!strLine.empty())
			return ChunkedEnd::Malformed;
	}
}
