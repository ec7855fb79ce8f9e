// The settings file ("tarnconfig.ini" beside the program) as the program's parts read it. On the way to the
// first paint the file is read once: from KeepSettingsReading to DropSettingsReading the thread that kept it
// shares that one reading among all its readers (the crash handler, the log, the configuration address, the
// skin choice), and a write through it keeps the reading in step with the file. Other threads, and every
// reader afterwards, read the file afresh, so that a file edited while the player runs counts at its next use.
#pragma once

#include "framework/PrivateProfile.h"

// The settings file: the kept reading (made on first use), or else the file read now into storage.
// *pbLoaded is what CProfileFile::Load said of it; writes go through the returned object.
CProfileFile& ReadSettingsFile(CProfileFile& storage, BOOL* pbLoaded = nullptr);
// Makes the settings file when it is missing (an empty one, with its folder); while a reading is kept, once.
void EnsureSettingsFile();

// From now on this thread's readers share one reading of the file.
void KeepSettingsReading();
// Every reader reads the file afresh again.
void DropSettingsReading();
