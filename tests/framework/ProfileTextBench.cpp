// Native benchmark of the settings reader on documents of the largest size it reads: lines without "=",
// and key lines, each against a pass over the same text that only finds its line breaks (the least any
// reader does). Reading must grow with the text, as the pass does.
#include "framework/ProfileText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
template <typename F>
double BestMs(F f)
{
	double dBest = 1e9;
	for (int i = 0; i < 5; ++i)
	{
		auto start = std::chrono::steady_clock::now();
		f();
		dBest = std::min(dBest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
	}
	return dBest;
}

std::string Fill(const std::string& strHead, const char* pszLine)
{
	std::string str = strHead;
	for (int n = 0; str.size() + 64 < kMaxProfileBytes; ++n)
		str += pszLine + std::to_string(n) + "\r\n";
	return str;
}
}

int main()
{
	const std::pair<const char*, std::string> documents[] = {
		{"lines without \"=\"", Fill("[Main]\r\n", "a line that holds no equals sign at all, number ")},
		{"key lines", Fill("[Main]\r\n", "Key=a value of some length, number ")}};
	for (const auto& document : documents)
	{
		const std::string& strText = document.second;
		volatile size_t nSink = 0;
		double dLines = BestMs([&] {
			size_t nLines = 0;
			for (const char* p = strText.data(); (p = static_cast<const char*>(memchr(p, '\n',
				strText.data() + strText.size() - p))) != nullptr; ++p)
				++nLines;
			nSink = nLines;
		});
		double dRead = BestMs([&] { nSink = CProfileText(strText).GetString("Main", "Missing", "").size(); });
		printf("settings reader, %zu KiB of %s: %.2f ms (line-break pass %.2f ms, %.1fx)\n", strText.size() / 1024,
			document.first, dRead, dLines, dLines > 0 ? dRead / dLines : 0.0);
	}
	return 0;
}
