#include "support/TestFiles.h"

#include <fstream>
#include <sstream>

namespace testfiles
{
std::string ProgramFolder()
{
	char szPath[MAX_PATH] = {};
	::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
	std::string strPath(szPath);
	return strPath.substr(0, strPath.rfind('\\') + 1);
}

std::string ReadAll(const std::string& strPath)
{
	std::ifstream in(strPath, std::ios::binary);
	std::ostringstream out;
	out << in.rdbuf();
	return out.str();
}

bool Exists(const std::string& strPath)
{
	return ::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteAll(const std::string& strPath, const std::string& strData)
{
	std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
	out << strData;
}

void Remove(const std::string& strPath)
{
	DWORD dwAttr = ::GetFileAttributesA(strPath.c_str());
	if (dwAttr == INVALID_FILE_ATTRIBUTES)
		return;
	if (!(dwAttr & FILE_ATTRIBUTE_DIRECTORY))
	{
		::DeleteFileA(strPath.c_str());
		return;
	}
	WIN32_FIND_DATAA data;
	HANDLE hFind = ::FindFirstFileA((strPath + "\\*").c_str(), &data);
	if (hFind != INVALID_HANDLE_VALUE)
	{
		do
		{
			std::string strName = data.cFileName;
			if (strName != "." && strName != "..")
				Remove(strPath + "\\" + strName);
		} while (::FindNextFileA(hFind, &data));
		::FindClose(hFind);
	}
	::RemoveDirectoryA(strPath.c_str());
}
}
