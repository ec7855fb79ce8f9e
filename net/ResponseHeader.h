// The response header of an HTTP exchange: how it is read off a connection and how its status, fields
// and lines are queried. Plain standard C++, so that it also builds natively (fuzz target).
#pragma once

#include <cstdint>

// Where the header comes from: a connection whose arrived bytes can be looked at before they are taken.
class CHeaderSource
{
public:
	virtual ~CHeaderSource() = default;
	// Waits for bytes and copies at most nCapacity of those that have arrived, leaving them in place:
	// the count, 0 once the connection is closed, negative on failure.
	virtual int Peek(char* pBuffer, int nCapacity) = 0;
	// Takes the first nCount bytes that Peek showed: the count taken, which is nCount unless it fails.
	virtual int Take(char* pBuffer, int nCount) = 0;
	// Milliseconds of a clock that may wrap.
	virtual uint32_t Ticks() = 0;
};

// A zero byte that follows a wait this long ends the header.
const uint32_t kZeroByteWaitMs = 20000;

// Reads the header into pHeader (nCapacity >= 1): up to and including the first CR LF CR LF, at most
// nCapacity - 1 bytes. It stops early at the first byte of an arrival that is a zero byte after a wait of
// kZeroByteWaitMs or more, and at once when the connection closes or fails. Everything after the header
// stays in the source; the rest of the buffer is zero-filled. Returns the number of bytes stored.
int ReadResponseHeader(CHeaderSource& source, char* pHeader, int nCapacity);

// The status code: the three bytes at offsets 9 to 11 of the nLength stored bytes, read as atoi does.
int HeaderStatus(const char* pHeader, int nLength);

// The value of the first occurrence of pszName anywhere in the zero-terminated header: from the second
// byte after the name up to the next CR LF. Copies what fits of it, zero-terminated, into pszBuffer and
// returns its full length; -1 when the name is absent or its line has no CR LF.
int HeaderField(const char* pszHeader, const char* pszName, char* pszBuffer, int nCapacity);

// Whether the zero-terminated header sends its body in the chunked coding: a Transfer-Encoding field (its
// name in any letter case) whose last coding is "chunked".
bool HeaderChunked(const char* pszHeader);

// The next line of the nLength stored bytes from nCursor: at most nCapacity bytes, through the first LF.
// Returns the count copied; past the end it rewinds nCursor to 0 and returns -1.
int HeaderLine(const char* pHeader, int nLength, int& nCursor, char* pszBuffer, int nCapacity);
