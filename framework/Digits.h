// The one digit reader of the program's text parsers (numbers in settings, percent escapes, chunk sizes).
// Plain C++, so that the native fuzz targets and Stat.dll build it too.
#pragma once

// The value of a digit of any base up to 36 ('0'-'9', then letters in either case); 99 for anything else,
// so that "DigitValue(ch) < nBase" asks whether ch is a digit of that base.
inline int DigitValue(char ch)
{
	if (ch >= '0' && ch <= '9')
		return ch - '0';
	if (ch >= 'a' && ch <= 'z')
		return ch - 'a' + 10;
	if (ch >= 'A' && ch <= 'Z')
		return ch - 'A' + 10;
	return 99;
}
