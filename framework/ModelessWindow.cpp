#include "ModelessWindow.h"

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toplevel.h>

#if defined(__WXGTK__) && defined(TREEWRIGHT_HAVE_GTK)
#include <gtk/gtk.h>

#include <wx/dialog.h>

namespace
{
struct CMenuItemTarget
{
    wxTopLevelWindow* window;
    int id;
};

bool ModalDialogRunning()
{
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* dialog = wxDynamicCast(window, wxDialog); dialog != nullptr && dialog->IsModal())
            return true;
    return false;
}

// wxGTK sends no command for a chosen menu item while a modal dialog runs, whichever window the
// menu belongs to; the window beside the dialog gets it from here then, as from the menu itself.
void OnMenuItemActivated(GtkWidget*, gpointer data)
{
    const auto* target = static_cast<CMenuItemTarget*>(data);
    if (!ModalDialogRunning() || !target->window->IsEnabled())
        return;
    wxCommandEvent command(wxEVT_MENU, target->id);
    command.SetEventObject(target->window);
    target->window->ProcessWindowEvent(command);
}

void DeleteMenuItemTarget(gpointer data, GClosure*)
{
    delete static_cast<CMenuItemTarget*>(data);
}
}

// GTK's modal dialog holds a grab that holds back input from every window of its window group,
// and all windows start in one group. A group of its own puts the window outside that grab, with
// the pop-up windows of its menus, which are windows of their own; the toolkit still disables it,
// as every other window, for a modal dialog opened from it later. wxWidgets itself ignores the
// menus and the title bar's close button of every window while a modal dialog runs; those are
// given back to this window here.
void KeepUsableBesideModalDialogs(wxTopLevelWindow& window)
{
    GtkWidget* widget = window.GetHandle();
    if (widget == nullptr || !GTK_IS_WINDOW(widget))
        return;
    GtkWindowGroup* group = gtk_window_group_new();
    gtk_window_group_add_window(group, GTK_WINDOW(widget));
    if (auto* frame = wxDynamicCast(&window, wxFrame); frame != nullptr && frame->GetMenuBar() != nullptr)
    {
        wxMenuBar& menus = *frame->GetMenuBar();
        for (size_t i = 0; i < menus.GetMenuCount(); ++i)
        {
            GtkWidget* popup = menus.GetMenu(i)->m_menu != nullptr ? gtk_widget_get_toplevel(menus.GetMenu(i)->m_menu)
                                                                   : nullptr;
            if (popup != nullptr && GTK_IS_WINDOW(popup))
                gtk_window_group_add_window(group, GTK_WINDOW(popup));
            for (wxMenuItem* item : menus.GetMenu(i)->GetMenuItems())
                if (GtkWidget* gtkItem = item->GetMenuItem(); gtkItem != nullptr && !item->IsSeparator())
                    g_signal_connect_data(gtkItem, "activate", G_CALLBACK(OnMenuItemActivated),
                                          new CMenuItemTarget{&window, item->GetId()}, DeleteMenuItemTarget,
                                          G_CONNECT_AFTER);
        }
    }
    g_object_unref(group);  // the windows hold their group
    // wxWidgets lets only dialogs be closed from their title bar while a modal dialog runs.
    window.SetExtraStyle(window.GetExtraStyle() | wxTOPLEVEL_EX_DIALOG);
}
#else
// Elsewhere a modal dialog disables the windows that exist when it starts, not those opened later.
void KeepUsableBesideModalDialogs(wxTopLevelWindow&)
{
}
#endif
