// Helpers for tests that work in the program folder: the folder, whole-file reads, clean-up.
#pragma once

#include <windows.h>

#include <string>

namespace testfiles
{
// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();
// The bytes of a file; empty when it cannot be read.
std::string ReadAll(const std::string& strPath);
bool Exists(const std::string& strPath);
void WriteAll(const std::string& strPath, const std::string& strData);
// Deletes a file or a folder with everything below it.
void Remove(const std::string& strPath);
}
