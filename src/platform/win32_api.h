// The Windows API as the Windows twin includes it: <windows.h> without the
// parts it never needs, and without the min and max macros that would stand
// in for std::min and std::max.
#ifndef QUILNOTE_PLATFORM_WIN32_API_H_
#define QUILNOTE_PLATFORM_WIN32_API_H_

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#endif  // QUILNOTE_PLATFORM_WIN32_API_H_
