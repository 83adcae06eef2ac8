#pragma once

// windows.h for the adapters. It defines DeleteFile and ReplaceFile as macros for their wide functions, which would
// rename the files port's members of the same names in any source that sees both; the adapters call the wide
// functions by their own names instead.
#include <windows.h>

#undef DeleteFile
#undef ReplaceFile
