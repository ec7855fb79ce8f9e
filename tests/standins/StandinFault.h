// Faults of a hosted control, made on request: the way a third-party control brings its host down.
#pragma once

#include <string>

// strAsked "<call>" jumps to address 0 here when strCall matches; "thread <call>" starts a thread that does.
void FaultIfAsked(const std::string& strAsked, const std::string& strCall);
