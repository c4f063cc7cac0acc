#pragma once
// windows.h for the Win32 layer. port_io.hpp names its line-setting and line-error
// constants as the DCB and COMSTAT documentation does, and windows.h defines the
// same names (with the same values) as macros: port_io.hpp must be seen first, so
// every file of this layer includes windows.h through here.

#include "platform/port_io.hpp"

#include <windows.h>
