// Every address of the maker's own sites built into the program and the statistics library,
// kept in one place so that a packager can change them.
#pragma once

// Client configuration document, read at every start of the player window.
#define MAKER_CLIENT_CONFIG_URL "http://www.melbotv.com/vmp/clientconfig.html"

// Built-in defaults of the six client configuration addresses.
#define MAKER_WEB_URL "http://www.melbotv.com/vmp/default_new.aspx"
#define MAKER_HELP_URL "http://www.melbotv.com/pub/help.html"
#define MAKER_HOME_URL "http://www.melbotv.com/"
#define MAKER_FEEDBACK_URL "http://bbs.melbotv.com/"
#define MAKER_DEFAULT_LOADING_URL "http://www.melbotv.com/source/images/live/loading.swf"
#define MAKER_PLAYER_URL "http://www.melbotv.com/player/tarnplayer.swf"

// Statistics web server of Stat.dll; the build may replace it (CMake cache variable QUILO_STAT_HOST).
#define MAKER_STAT_HOST "stat.melbotv.com"
