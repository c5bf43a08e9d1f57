#include "KeyIndicators.h"

#include <wx/defs.h>

#if defined(__WXGTK__) && defined(TREEWRIGHT_HAVE_GDK)
#include <gdk/gdk.h>

namespace
{
// Asked of GDK rather than wxGetKeyState, which reads X11 modifier masks: that answers for Caps
// and Num Lock only under X11, and for Scroll Lock tells whether the key is held, not whether it
// is on.
GdkKeymap* Keymap()
{
    GdkDisplay* display = gdk_display_get_default();
    return display != nullptr ? gdk_keymap_get_for_display(display) : nullptr;
}
}

bool IsCapsLockOn()
{
    GdkKeymap* keymap = Keymap();
    return keymap != nullptr && gdk_keymap_get_caps_lock_state(keymap);
}

bool IsNumLockOn()
{
    GdkKeymap* keymap = Keymap();
    return keymap != nullptr && gdk_keymap_get_num_lock_state(keymap);
}

bool IsScrollLockOn()
{
    GdkKeymap* keymap = Keymap();
    return keymap != nullptr && gdk_keymap_get_scroll_lock_state(keymap);
}
#else
#include <wx/utils.h>

bool IsCapsLockOn()
{
    return wxGetKeyState(WXK_CAPITAL);
}

bool IsNumLockOn()
{
    return wxGetKeyState(WXK_NUMLOCK);
}

bool IsScrollLockOn()
{
    return wxGetKeyState(WXK_SCROLL);
}
#endif
