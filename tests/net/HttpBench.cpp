// Downloads a 4 KB document from a loopback server N times with DownloadURL_socket and, in the same
// run, with WinINet (InternetOpenUrl + InternetReadFile), and prints the median time per download.
//   http_bench [N]
#include "support/LoopbackHttpServer.h"
#include "support/Processes.h"

#include "net/UrlDownload.h"

#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct CInternetCloser
{
	void operator()(HINTERNET h) const { ::InternetCloseHandle(h); }
};
using CInternetHandle = std::unique_ptr<void, CInternetCloser>;

const char kUrl[] = "http://127.0.0.1/bench/doc.txt";

using processes::Median;
using processes::NowMs;

std::string WinInetDownload(HINTERNET hInternet)
{
	const DWORD dwFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE
		| INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
	CInternetHandle hUrl(::InternetOpenUrlA(hInternet, kUrl, nullptr, 0, dwFlags, 0));
	if (!hUrl)
		return std::string();
	std::string strBody;
	char szChunk[4096];
	DWORD cbRead = 0;
	while (::InternetReadFile(hUrl.get(), szChunk, sizeof(szChunk), &cbRead) && cbRead > 0)
		strBody.append(szChunk, cbRead);
	return strBody;
}
}

int main(int argc, char** argv)
{
	int nRuns = argc > 1 ? atoi(argv[1]) : 200;
	if (nRuns < 1)
		nRuns = 1;

	std::string strDocument;
	for (int i = 0; strDocument.size() < 4096; ++i)
		strDocument += "weburl=http://www.example.com/vmp/page" + std::to_string(i) + ".aspx##\r\n";
	strDocument.resize(4096);

	CLoopbackHttpServer server;
	if (!server.Start("127.0.0.1", 80))
	{
		fprintf(stderr, "http_bench: cannot listen on 127.0.0.1:80\n");
		return 1;
	}
	server.SetResponse("HTTP/1.1 200 OK", "Content-Type: text/plain\r\n", strDocument);

	CInternetHandle hInternet(::InternetOpenA("QuiloBench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
	if (!hInternet)
	{
		fprintf(stderr, "http_bench: InternetOpen failed\n");
		return 1;
	}

	std::vector<double> socketMs, winInetMs;
	int nFailures = 0;
	// Alternate the two so that both see the same machine load.
	for (int i = 0; i < nRuns; ++i)
	{
		double dStart = NowMs();
		bool bOk = DownloadURL_socket(kUrl, "").Str() == strDocument;
		socketMs.push_back(NowMs() - dStart);

		dStart = NowMs();
		bOk = WinInetDownload(hInternet.get()) == strDocument && bOk;
		winInetMs.push_back(NowMs() - dStart);
		if (!bOk)
			++nFailures;
	}

	double dSocket = Median(socketMs), dWinInet = Median(winInetMs);
	printf("http_bench: %d downloads of a %u-byte document from 127.0.0.1:80 each way, %d failed\n", nRuns,
		static_cast<unsigned>(strDocument.size()), nFailures);
	printf("  DownloadURL_socket   median %8.3f ms\n", dSocket);
	printf("  WinINet (peer)       median %8.3f ms\n", dWinInet);
	printf("  ratio socket/WinINet        %8.2f\n", dWinInet > 0 ? dSocket / dWinInet : 0.0);
	return nFailures ? 1 : 0;
}
