#pragma once

// windows.h names many functions by macros (MessageBox for MessageBoxW, FormatMessage for
// FormatMessageW), which would rename ours of those names in the files that include it first and
// not in the others. Included before our names, it takes windows.h in once and drops the macros.
#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#undef FormatMessage
#undef MessageBox
#endif
