// The version and the names that the About box, the version resources of QuiloPlayer.exe and Stat.dll,
// the release zip and the setup program show; scripts/package.py reads the four numbers from here.
// Kept in UTF-8; the resource compiler reads its code page 936 form.
#pragma once

#define QUILO_VERSION_MAJOR 2
#define QUILO_VERSION_MINOR 0
#define QUILO_VERSION_PATCH 0
#define QUILO_VERSION_BUILD 1

#define QUILO_STRINGIZE_(x) #x
#define QUILO_STRINGIZE(x) QUILO_STRINGIZE_(x)
// "2.0.0.1"
#define QUILO_VERSION_TEXT QUILO_STRINGIZE(QUILO_VERSION_MAJOR) "." QUILO_STRINGIZE(QUILO_VERSION_MINOR) "." \
	QUILO_STRINGIZE(QUILO_VERSION_PATCH) "." QUILO_STRINGIZE(QUILO_VERSION_BUILD)

#define QUILO_PRODUCT_NAME "MelboTV播放器"
#define QUILO_COMPANY_NAME "MelboTV 快乐视界"
#define QUILO_COPYRIGHT "MelboTV 快乐视界 版权所有"
