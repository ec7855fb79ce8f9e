// Run-time class information: each window class that declares it can name itself and its base, so that
// an object reached through a base pointer (CWnd::FromHandle) can be asked what it is.
//   DECLARE_DYNAMIC(CMyDlg)               in the class body
//   IMPLEMENT_DYNAMIC(CMyDlg, CDialog)    in one source file
//   pWnd->IsKindOf(RUNTIME_CLASS(CMyDlg))
#pragma once

struct CRuntimeClass
{
	const char* m_lpszClassName;
	const CRuntimeClass* m_pBaseClass;

	bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const
	{
		for (const CRuntimeClass* pClass = this; pClass; pClass = pClass->m_pBaseClass)
		{
			if (pClass == pBaseClass)
				return true;
		}
		return false;
	}
};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)

#define DECLARE_DYNAMIC(theClass) \
public: \
	static const CRuntimeClass class##theClass; \
	const CRuntimeClass* GetRuntimeClass() const override { return RUNTIME_CLASS(theClass); }

#define IMPLEMENT_DYNAMIC(theClass, theBase) \
	const CRuntimeClass theClass::class##theClass = { #theClass, RUNTIME_CLASS(theBase) };
