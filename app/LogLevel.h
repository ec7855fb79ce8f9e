// The levels of the diagnostic log's records, kept apart from the log itself so that plain C++ code that
// reports through a caller's function can name them.
#pragma once

enum LogLevel : unsigned int
{
	LOG_SEC_INFO = 0,
	LOG_ERR = 1,
	LOG_WARN = 2,
	LOG_IMPT = 3,
	LOG_INFO = 4,
	LOG_VERB = 5,
	LOG_DEBG = 6,
};
