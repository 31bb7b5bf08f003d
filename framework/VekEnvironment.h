#pragma once
// Platform wrappers and the two facts about the environment that the unit
// works out once at start-up.
#include <string>

void PlayBeep();
void ProcessPending();
std::string MachineName();
bool DevEnvRunning();
bool IsAdmin();

// Result of the privilege test at start-up; nothing else in the program
// reads it.
extern bool AdminFlag;

// The unit's start-up: works out the privilege flag and the
// development-environment flag once, before a second thread exists.
void InitVekUtil();
