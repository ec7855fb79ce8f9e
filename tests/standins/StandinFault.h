// Faults of a hosted control, made on request: the way a third-party control brings its host down.
#pragma once

#include <string>

// strAsked "[thread ][overflow |locked ]<call>": when strCall matches, jumps to address 0, runs out of stack,
// or jumps to 0 holding the loader's lock, here or on a thread it starts. (Wine ignores a fault inside a
// window procedure that another thread's message called, so faults that must end the program take a thread.)
void FaultIfAsked(const std::string& strAsked, const std::string& strCall);
