// The Windows API, as every Win32 file of the platform layer includes it: the wide (W)
// functions and no min/max macros.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
