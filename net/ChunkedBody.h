// The chunked transfer coding of HTTP/1.1: what a server sends when it does not know the body's length in
// advance. Plain standard C++, so that it also builds natively (fuzz target).
#pragma once

#include "net/DownloadResponse.h"

#include <string>

// The raw stream a chunked body may take, framing included: enough for the largest document in chunks of
// a few bytes, and an end to a server that sends framing without data.
const int64_t kMaxChunkedBytes = 4 * kMaxDocumentBytes;
// A chunk's size line, extensions included.
const size_t kMaxChunkLine = 1024;

enum class ChunkedEnd
{
	Done,        // the last chunk arrived
	Closed,      // the server closed first
	Failed,      // a receive failed (timed out)
	Malformed,   // not the chunked coding
	TooLarge,    // the body would pass kMaxDocumentBytes, or its framing kMaxChunkedBytes
};

// Decodes a chunked body from source into strBody: sizes in hex, extensions and trailers ignored, each
// line ended by CR LF (or a bare LF). Reads nothing after the last chunk's size line but what arrived with it.
ChunkedEnd ReadChunkedBody(CBodySource& source, std::string& strBody);
