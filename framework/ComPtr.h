// CComPtr: an owned reference to a COM object, released when the owner goes.
#pragma once

#include <unknwn.h>

#include <utility>

template <class T>
class CComPtr
{
public:
	CComPtr() = default;
	// Takes over a reference the caller already holds.
	explicit CComPtr(T* p) : m_p(p) {}
	CComPtr(const CComPtr& other) : m_p(other.m_p) { if (m_p) m_p->AddRef(); }
	CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
	CComPtr& operator=(CComPtr other) noexcept { std::swap(m_p, other.m_p); return *this; }
	~CComPtr() { Release(); }

	T* Get() const { return m_p; }
	T* operator->() const { return m_p; }
	explicit operator bool() const { return m_p != nullptr; }
	// For calls that hand out a new reference.
	T** operator&() { Release(); return &m_p; }

	void Release()
	{
		if (m_p)
			std::exchange(m_p, nullptr)->Release();
	}

	// Another interface of the same object; empty when it has none.
	template <class U>
	CComPtr<U> Query(REFIID iid) const
	{
		CComPtr<U> p;
		if (m_p)
			m_p->QueryInterface(iid, reinterpret_cast<void**>(&p));
		return p;
	}

private:
	T* m_p = nullptr;
};
