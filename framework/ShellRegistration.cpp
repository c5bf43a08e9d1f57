#include "ShellRegistration.h"

#ifdef __WXMSW__
#include <wx/msw/registry.h>
#include <wx/msw/wrapshl.h>

namespace
{
// Sets the default value of a key below the user's classes; true when it changed.
bool SetDefaultValue(const wxString& keyPath, const wxString& value)
{
    wxRegKey key(wxRegKey::HKCU, "Software\\Classes\\" + keyPath);
    if (!key.Create())
        return false;
    wxString current;
    if (key.HasValue(wxString()) && key.QueryValue(wxString(), current) && current == value)
        return false;
    return key.SetValue(wxString(), value);
}
}

void RegisterShellFileType(const wxString& extension, const wxString& typeId, const wxString& typeName,
                           const wxString& executable)
{
    bool changed = SetDefaultValue(extension, typeId);
    changed |= SetDefaultValue(typeId, typeName);
    changed |= SetDefaultValue(typeId + "\\DefaultIcon", "\"" + executable + "\",0");
    changed |= SetDefaultValue(typeId + "\\shell\\open\\command", "\"" + executable + "\" \"%1\"");
    // Explorer caches associations; tell it only when something changed, as the call is slow.
    if (changed)
        ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
#else
void RegisterShellFileType(const wxString&, const wxString&, const wxString&, const wxString&)
{
}
#endif
