// What the URL download makes of a response once its header has been read: the announced length, the
// status class and the body, with every failure reported to the caller's log. Plain standard C++, so
// that it also builds natively (fuzz target).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The largest document taken. The client configuration is a few hundred bytes; a server announcing more
// must not make the program hold it.
const int64_t kMaxDocumentBytes = 1024 * 1024;

// The rest of the connection after the header.
class CBodySource
{
public:
	virtual ~CBodySource() = default;
	// One receive of at most nCapacity bytes: the count, 0 when the server closed, negative on failure.
	virtual long Receive(char* pBuffer, long nCapacity) = 0;
};

// Takes each record: level (LogLevel) and message.
using DownloadLog = std::function<void(unsigned int, const char*)>;

// The document of a response with status nStatus (-1 when there was none) and the Content-Length value
// pszLength (null when the header has none), or "" after logging why there is none. A body in the chunked
// coding (bChunked) is decoded whole, whatever the length says; with a length, the body is exactly that
// many bytes; with neither, one receive of at most 4096 bytes, cut to "filename=" ... last "$" when it
// names a file. Each ends at its first zero byte.
std::string ReadDocument(int nStatus, const char* pszLength, bool bChunked, CBodySource& body,
	const DownloadLog& log);
