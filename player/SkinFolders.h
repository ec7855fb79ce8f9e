// The skin folders under "skin\" beside the program, and the skin the user chose last time.
#pragma once

#include "framework/String.h"

// The program folder + "skin\"; empty when the program folder cannot be read.
CString GetSkinDirectory();
// The program folder + "skin\现代\"; empty when the program folder cannot be read.
CString GetDefaultSkinDirectory();
// Fills the list with every subfolder of the root (path + "\"), except "melbotv"; returns the count.
int EnumSkinDirectories(CString strRoot, CStringArray& arrDirs);
// Whether a saved skin path lies under this program's own skin folder: the program folder directly
// followed by "skin", letter case ignored.
bool IsSkinPathOfProgram(const CString& strPath, const CString& strAppDir);
// The saved "SkinPath", trimmed and lower-cased, when it is one of the listed skin folders; otherwise
// the default skin folder; empty when the program folder cannot be read.
CString ReadSkinPath(const CStringArray& arrDirs);
// The index of the first entry equal (ignoring case) to the path; -1 when none is.
int FindListedSkin(const CStringArray& arrDirs, const CString& strSkinPath);
// The index of the first entry equal (ignoring case) to the path; 0 when none is.
int FindSkinIndex(const CStringArray& arrDirs, const CString& strSkinPath);
// Saves the entry at the index as "SkinPath"; nothing when the index designates no entry.
void SaveSkinPath(const CStringArray& arrDirs, int nSkinIndex);
