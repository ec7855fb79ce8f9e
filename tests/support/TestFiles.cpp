#include "support/TestFiles.h"

#include "support/Wide936.h"

namespace testfiles
{
std::string ProgramFolder()
{
	char szPath[MAX_PATH] = {};
	w936::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
	std::string strPath(szPath);
	return strPath.substr(0, strPath.rfind('\\') + 1);
}

std::string ReadAll(const std::string& strPath)
{
	HANDLE hFile = w936::CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
		nullptr, OPEN_EXISTING, 0, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return std::string();
	std::string strData;
	char buffer[65536];
	DWORD cbRead = 0;
	while (::ReadFile(hFile, buffer, sizeof(buffer), &cbRead, nullptr) && cbRead > 0)
		strData.append(buffer, cbRead);
	::CloseHandle(hFile);
	return strData;
}

bool Exists(const std::string& strPath)
{
	return w936::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteAll(const std::string& strPath, const std::string& strData)
{
	HANDLE hFile = w936::CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return;
	DWORD cbWritten = 0;
	::WriteFile(hFile, strData.data(), static_cast<DWORD>(strData.size()), &cbWritten, nullptr);
	::CloseHandle(hFile);
}

void Remove(const std::string& strPath)
{
	DWORD dwAttr = w936::GetFileAttributesA(strPath.c_str());
	if (dwAttr == INVALID_FILE_ATTRIBUTES)
		return;
	if (!(dwAttr & FILE_ATTRIBUTE_DIRECTORY))
	{
		w936::DeleteFileA(strPath.c_str());
		return;
	}
	WIN32_FIND_DATAA data;
	HANDLE hFind = w936::FindFirstFileA((strPath + "\\*").c_str(), &data);
	if (hFind != INVALID_HANDLE_VALUE)
	{
		do
		{
			std::string strName = data.cFileName;
			if (strName != "." && strName != "..")
				Remove(strPath + "\\" + strName);
		} while (w936::FindNextFileA(hFind, &data));
		::FindClose(hFind);
	}
	w936::RemoveDirectoryA(strPath.c_str());
}
}
