#pragma once

// The Windows headers, as every file of the Windows layer includes them. The
// core has members named like two of the headers' A/W macros; they are
// removed so that both sides mean the same names.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef DeleteFile
#undef ShellExecute
