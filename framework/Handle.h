// Owning wrappers for kernel handles and registry keys: each closes what it holds.
#pragma once

#include <windows.h>

#include <utility>

template <typename T, T kNone, typename Closer>
class CUniqueHandle
{
public:
	CUniqueHandle() = default;
	explicit CUniqueHandle(T h) : m_h(h) {}
	CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(std::exchange(other.m_h, kNone)) {}
	CUniqueHandle& operator=(CUniqueHandle&& other) noexcept { Reset(std::exchange(other.m_h, kNone)); return *this; }
	~CUniqueHandle() { Reset(); }

	T Get() const { return m_h; }
	explicit operator bool() const { return m_h != kNone; }
	T* operator&() { Reset(); return &m_h; }
	T Detach() { return std::exchange(m_h, kNone); }
	void Reset(T h = kNone)
	{
		if (m_h != kNone)
			Closer()(m_h);
		m_h = h;
	}

private:
	T m_h = kNone;
};

struct CloseHandleCloser { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct RegKeyCloser { void operator()(HKEY h) const { ::RegCloseKey(h); } };

// A kernel object handle whose "none" value is null (events, threads, mutexes).
using CHandle = CUniqueHandle<HANDLE, nullptr, CloseHandleCloser>;
// A file handle, whose "none" value is INVALID_HANDLE_VALUE.
struct CFileHandle : CUniqueHandle<HANDLE, nullptr, CloseHandleCloser>
{
	CFileHandle() = default;
	explicit CFileHandle(HANDLE h) : CUniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};
using CRegKey = CUniqueHandle<HKEY, nullptr, RegKeyCloser>;
// An icon the program made (LoadImage without LR_SHARED).
struct IconDestroyer { void operator()(HICON h) const { ::DestroyIcon(h); } };
using CIconHandle = CUniqueHandle<HICON, nullptr, IconDestroyer>;
