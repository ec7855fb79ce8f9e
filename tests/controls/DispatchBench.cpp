// Cost of the wrappers' late-bound calls and of control creation, each against a baseline measured in
// the same run: a direct IDispatch::Invoke on the same stand-in control, and a plain child window.
//   controls_bench [CALLS]
#include "controls/Livemediapluginctrl.h"
#include "controls/Shockwaveflash1.h"
#include "standins/StandinIds.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace
{
double Seconds(int nTimes, const std::function<void()>& run)
{
	LARGE_INTEGER freq, start, end;
	::QueryPerformanceFrequency(&freq);
	::QueryPerformanceCounter(&start);
	for (int i = 0; i < nTimes; ++i)
		run();
	::QueryPerformanceCounter(&end);
	return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
}

void Report(const char* pszWhat, int nTimes, double dSeconds, double dBaseline)
{
	std::printf("%-44s %8.2f us each  (%.2fx the baseline)\n", pszWhat, dSeconds * 1e6 / nTimes, dSeconds / dBaseline);
}

HRESULT DirectPut(IDispatch* pDispatch, DISPID dispid, VARIANT& var)
{
	DISPID dispidNamed = DISPID_PROPERTYPUT;
	DISPPARAMS params = { &var, &dispidNamed, 1, 1 };
	return pDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
		nullptr);
}
}

int main(int argc, char** argv)
{
	const int nCalls = argc > 1 ? std::atoi(argv[1]) : 20000;
	const int nCreations = nCalls / 100 > 10 ? nCalls / 100 : 10;
	::SetEnvironmentVariableA(standins::kEnvJournal, nullptr);
	AfxEnableControlContainer();
	HWND hWndHost = ::CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
		nullptr, nullptr, nullptr, nullptr);
	CWnd host;
	host.SubclassWindow(hWndHost);
	const RECT rc = { 0, 0, 320, 240 };
	CShockwaveflash1 flash;
	if (!flash.Create(nullptr, "HttpPlayer", WS_CHILD | WS_VISIBLE, rc, &host, 7778))
	{
		std::printf("the stand-in Flash control is not registered (scripts/register-standins)\n");
		return 1;
	}
	CComPtr<IDispatch> pDispatch = AfxGetControl(flash).Query<IDispatch>(IID_IDispatch);

	std::printf("%d calls, %d creations each way\n", nCalls, nCreations);
	VARIANT varColor;
	::VariantInit(&varColor);
	varColor.vt = VT_I4;
	double dDirect = Seconds(nCalls, [&] { DirectPut(pDispatch.Get(), 123, varColor); });
	double dWrapper = Seconds(nCalls, [&] { flash.SetBackgroundColor(0); });
	Report("direct Invoke, put 123 (baseline)", nCalls, dDirect, dDirect);
	Report("SetBackgroundColor through InvokeHelper", nCalls, dWrapper, dDirect);

	const char szMovie[] = "http://127.0.0.3/电影/第一集.flv";
	VARIANT varMovie;
	::VariantInit(&varMovie);
	varMovie.vt = VT_BSTR;
	varMovie.bstrVal = AfxAllocBstr(szMovie);
	dDirect = Seconds(nCalls, [&] { DirectPut(pDispatch.Get(), 202, varMovie); });
	dWrapper = Seconds(nCalls, [&] { flash.SetAllowFullScreen(szMovie); });
	::VariantClear(&varMovie);
	Report("direct Invoke, put 202 of a ready BSTR (baseline)", nCalls, dDirect, dDirect);
	Report("SetAllowFullScreen, text converted per call", nCalls, dWrapper, dDirect);

	double dPlain = Seconds(nCreations, [&] {
		::DestroyWindow(::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 320, 240, hWndHost, nullptr,
			nullptr, nullptr));
	});
	double dControl = Seconds(nCreations, [&] {
		CLivemediapluginctrl live;
		live.Create(nullptr, "LivePlugIn", WS_CHILD | WS_VISIBLE, rc, &host, 7777);
		live.DestroyWindow();
	});
	Report("plain child window create+destroy (baseline)", nCreations, dPlain, dPlain);
	Report("CreateControl of the stand-in + destroy", nCreations, dControl, dPlain);
	pDispatch.Release();
	flash.DestroyWindow();
	host.DestroyWindow();
	return 0;
}
