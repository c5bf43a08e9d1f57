#pragma once

// Driving the script editor and its line editors the way a user does: choices picked, texts
// typed, lines double-clicked, each raising the event the toolkit would raise.

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/vlbox.h>

#include <functional>
#include <utility>

/// Queues a driver that runs `body` inside the next modal run and then ends the dialog with `end`
/// unless the body ended it (so that a failed assertion never leaves a dialog waiting).
inline void Drive(CScriptedUserInterface& ui, std::function<void(wxDialog&)> body, int end = wxID_CANCEL)
{
    ui.modalDrivers.push_back([body = std::move(body), end](wxDialog& dialog) {
        body(dialog);
        if (dialog.IsModal())
            dialog.EndModal(end);
    });
}

/// Queues drivers that fail the test and cancel any further dialog; call after the expected ones.
inline void RefuseFurtherDialogs(CScriptedUserInterface& ui)
{
    for (int i = 0; i < 3; ++i)
    {
        ui.modalDrivers.push_back([](wxDialog& dialog) {
            ADD_FAILURE() << "Unexpected dialog: " << dialog.GetTitle().utf8_string();
            dialog.EndModal(wxID_CANCEL);
        });
    }
}

inline wxTextCtrl& Edit(wxWindow& dialog, int id)
{
    auto* edit = wxDynamicCast(dialog.FindWindow(id), wxTextCtrl);
    if (edit == nullptr)
        ADD_FAILURE() << "no edit field " << id;
    return *edit;
}

inline wxChoice& Choice(wxWindow& dialog, int id)
{
    auto* choice = wxDynamicCast(dialog.FindWindow(id), wxChoice);
    if (choice == nullptr)
        ADD_FAILURE() << "no choice " << id;
    return *choice;
}

/// Types `text` into a field, replacing what it held: one change event, as a paste would raise.
inline void Type(wxWindow& dialog, int id, const wxString& text)
{
    Edit(dialog, id).SetValue(text);
}

/// Picks entry `index` of a choice as the user would.
inline void Pick(wxWindow& dialog, int id, int index)
{
    wxChoice& choice = Choice(dialog, id);
    choice.SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, id);
    event.SetEventObject(&choice);
    event.SetInt(index);
    event.SetString(index >= 0 ? choice.GetString(static_cast<unsigned>(index)) : wxString());
    choice.GetEventHandler()->ProcessEvent(event);
}

/// The entries of a choice.
inline std::vector<wxString> Entries(wxWindow& dialog, int id)
{
    std::vector<wxString> entries;
    wxChoice& choice = Choice(dialog, id);
    for (unsigned i = 0; i < choice.GetCount(); ++i)
        entries.push_back(choice.GetString(i));
    return entries;
}

/// Presses `key` with `modifiers` while `focus` has the focus, as the toolkit delivers it: first to
/// the key hook of the dialog, then, unless the hook took the key, to the focused window itself.
inline void PressKey(wxWindow& focus, int key, int modifiers = wxMOD_NONE)
{
    const auto send = [&](wxEventType type) {
        wxKeyEvent event(type);
        event.m_keyCode = key;
        event.SetControlDown((modifiers & wxMOD_CONTROL) != 0);
        event.SetShiftDown((modifiers & wxMOD_SHIFT) != 0);
        event.SetAltDown((modifiers & wxMOD_ALT) != 0);
        event.SetEventObject(&focus);
        return focus.GetEventHandler()->ProcessEvent(event);
    };
    if (!send(wxEVT_CHAR_HOOK))
        send(wxEVT_KEY_DOWN);
}

/// Double-clicks line `index` of a list with `modifiers` held, as the mouse would.
inline void DoubleClickWith(wxVListBox& list, int index, int modifiers)
{
    const wxRect rect = list.GetItemRect(static_cast<std::size_t>(index));
    ASSERT_FALSE(rect.IsEmpty()) << "line " << index << " is not shown";
    wxMouseEvent event(wxEVT_LEFT_DCLICK);
    event.SetPosition(wxPoint(rect.GetLeft() + 5, rect.GetTop() + rect.GetHeight() / 2));
    event.SetControlDown((modifiers & wxMOD_CONTROL) != 0);
    event.SetEventObject(&list);
    list.GetEventHandler()->ProcessEvent(event);
}

/// Selects line `index` of a list (-1: none) and, when asked, double-clicks it.
inline void SelectLine(wxVListBox& list, int index, bool doubleClick = false)
{
    list.SetSelection(index);
    if (!doubleClick)
        return;
    wxCommandEvent event(wxEVT_LISTBOX_DCLICK, list.GetId());
    event.SetEventObject(&list);
    event.SetInt(index);
    list.GetEventHandler()->ProcessEvent(event);
}
