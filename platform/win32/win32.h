// The Windows API, as every file that calls it includes it (never <windows.h> itself): the
// wide (W) functions and no min/max macros.
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
