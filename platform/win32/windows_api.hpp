#pragma once
// windows.h for the Win32 layer, with what every file of it expects: no min/max
// macros and the lean headers (set by the build), included in one place.

#include <windows.h>
