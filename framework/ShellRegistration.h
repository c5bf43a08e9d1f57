#pragma once

#include <wx/string.h>

/// Makes the program the opener of files with `extension` (".iff") for the current user: the file
/// type `typeId` named `typeName`, opened by `executable` with the file's path. Written at every
/// start on Windows, so that a moved program is found again; elsewhere the desktop entry installed
/// with the program does this, and the call does nothing.
void RegisterShellFileType(const wxString& extension, const wxString& typeId, const wxString& typeName,
                           const wxString& executable);
