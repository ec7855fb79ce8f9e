// The program's text is code page 936; Windows speaks UTF-16. Every crossing converts here, naming the code
// page, never through the system's or the thread's code page.
#pragma once

#include <windows.h>

#include <string>

constexpr UINT kProgramCodePage = 936;

// Whether ch starts a two-byte character of code page 936 (never of the system's code page).
inline bool IsLeadByte(char ch) { return ::IsDBCSLeadByteEx(kProgramCodePage, static_cast<BYTE>(ch)) != FALSE; }

// UTF-16 of code page 936 text (nLength bytes, or up to the terminator when -1).
std::wstring ToWide(const char* psz, int nLength = -1);
inline std::wstring ToWide(const std::string& str) { return ToWide(str.data(), static_cast<int>(str.size())); }
// Code page 936 of UTF-16 text; a character 936 cannot spell becomes "?".
std::string FromWide(const wchar_t* psz, int nLength = -1);
inline std::string FromWide(const std::wstring& str) { return FromWide(str.data(), static_cast<int>(str.size())); }
// As FromWide, but false (and strOut empty) when a character has no code page 936 form.
bool FromWideExact(const wchar_t* psz, std::string& strOut, int nLength = -1);
