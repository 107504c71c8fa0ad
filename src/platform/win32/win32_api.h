#pragma once
// The one way this folder includes the Windows headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// <windows.h> maps MessageBox to MessageBoxW; the program's own
// kv::platform::MessageBox must keep its name in every translation unit.
#undef MessageBox
