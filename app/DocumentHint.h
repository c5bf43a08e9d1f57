#pragma once

#include <wx/object.h>

/// What the document tells its views through UpdateAllViews; the document owns the data and leaves
/// every window to the views.
enum class EDocumentHint
{
    Changed,    // the records or the semi-global name changed: show them again
    OtherFile,  // the document holds another file (New): its lists, unfiltered
    Opened,     // a file was opened: as OtherFile, then say what was loaded with it
    FileRead,   // a file was read and wants the game's global files (TakeGlobalFiles)
};

/// The hint object handed to UpdateAllViews.
class CDocumentHint : public wxObject
{
public:
    explicit CDocumentHint(EDocumentHint what) : m_what(what) {}
    EDocumentHint What() const { return m_what; }

private:
    EDocumentHint m_what;
};

/// What a hint says; no hint, or one of another kind, says Changed.
inline EDocumentHint HintOf(const wxObject* hint)
{
    const auto* ours = dynamic_cast<const CDocumentHint*>(hint);
    return ours != nullptr ? ours->What() : EDocumentHint::Changed;
}
