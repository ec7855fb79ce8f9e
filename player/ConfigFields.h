// The fields of the client configuration document: "key=value##" in any order, keys in any letter case.
// Plain standard C++, so that it also builds natively (fuzz target).
#pragma once

#include <array>
#include <optional>
#include <string>

enum ConfigField
{
	CONFIG_WEB_URL,
	CONFIG_HELP_URL,
	CONFIG_HOME_URL,
	CONFIG_FEEDBACK_URL,
	CONFIG_DEFAULT_LOADING_URL,
	CONFIG_PLAYER_URL,
	CONFIG_FIELD_COUNT
};

using ConfigValues = std::array<std::optional<std::string>, CONFIG_FIELD_COUNT>;

// Each key's value in an unescaped document, trimmed, with "##" appended unless it ends so: the bytes
// after the key's first occurrence up to the next "##", in the letter case received; absent keys stay empty.
ConfigValues ReadConfigFields(const std::string& strText);

// Each "%hh" (two hexadecimal digits) becomes the byte it names; every other byte stays. Byte for byte,
// so that escaped code page 936 (or any other) text comes back whole, whatever the system's code page.
std::string UnescapeUrlBytes(const std::string& strText);
