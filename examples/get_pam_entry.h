// How the demo host reaches GetPAM: linked directly against libkio.so, or, as a
// Windows game does it, kio.dll loaded at run time and GetPAM found by name.
#pragma once

#include "kio.h"

using GetPamFunction = int32_t(KIO_CALL*)(int32_t*, int32_t, const char* const*);

// GetPAM, or null when the library cannot be loaded (the reason is printed).
GetPamFunction FindGetPam();
