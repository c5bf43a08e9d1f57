#include "ModelessWindow.h"

#include <wx/toplevel.h>

#if defined(__WXGTK__) && defined(TREEWRIGHT_HAVE_GTK)
#include <gtk/gtk.h>

// GTK's modal dialog holds a grab that holds back input from every window of its window group,
// and all windows start in one group. A group of its own puts the window outside that grab; the
// toolkit still disables it, as every other window, for a modal dialog opened from it later.
void KeepUsableBesideModalDialogs(wxTopLevelWindow& window)
{
    GtkWidget* widget = window.GetHandle();
    if (widget == nullptr || !GTK_IS_WINDOW(widget))
        return;
    GtkWindowGroup* group = gtk_window_group_new();
    gtk_window_group_add_window(group, GTK_WINDOW(widget));
    g_object_unref(group);  // the window holds its group
}
#else
// Elsewhere a modal dialog disables the windows that exist when it starts, not those opened later.
void KeepUsableBesideModalDialogs(wxTopLevelWindow&)
{
}
#endif
