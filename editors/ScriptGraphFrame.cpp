#include "ScriptGraphFrame.h"

#include "ScriptGraphCanvas.h"

#include "containers/AtomicFileWriter.h"
#include "containers/Windows1252.h"
#include "framework/ModelessWindow.h"
#include "framework/UserInterface.h"
#include "records/BhavScript.h"
#include "rendering/PlainTextRenderer.h"
#include "resources/ScriptGraphIds.h"

#include <wx/display.h>
#include <wx/menu.h>
#include <wx/sizer.h>

namespace
{
const char* const kHint = "Click: select the line. Double-click: edit it. Drag: pan. Ctrl+wheel: zoom. 0: fit.";
const char* const kLayingOut = "Laying out the graph... Escape cancels.";
// How often the window looks for the worker's layout.
constexpr int kLayoutPollMs = 25;

struct CExportKind
{
    EGraphFormat format;
    const char* extension;
    const char* wildcard;
};

constexpr CExportKind kExportKinds[] = {
    {EGraphFormat::Svg, "svg", "SVG pictures (*.svg)|*.svg"},
    {EGraphFormat::Png, "png", "PNG pictures (*.png)|*.png"},
    {EGraphFormat::Dot, "dot", "Graphviz DOT files (*.dot;*.gv)|*.dot;*.gv"},
};

// Beside the editor, on the side with more room (the left one when they are equal, so that an
// overlap hides the start of the lines rather than the editor's buttons), as wide as that room
// allows; where the screen has too little room on either side, it overlaps the editor as little as
// it can.
wxRect PlaceBeside(wxWindow* parent, const wxSize& wanted, int narrowest)
{
    if (parent == nullptr)
        return wxRect(wxDefaultPosition, wanted);
    const wxRect editor = parent->GetScreenRect();
    const int display = wxDisplay::GetFromWindow(parent);
    const wxRect area = wxDisplay(display != wxNOT_FOUND ? unsigned(display) : 0u).GetClientArea();
    const int gap = parent->FromDIP(8);
    const int right = area.GetRight() - editor.GetRight() - gap;
    const int left = editor.x - gap - area.x;
    const bool onRight = right >= wanted.x || right > left;
    const int width = std::max(std::min(wanted.x, onRight ? right : left), narrowest);
    wxRect place(wxPoint(0, editor.y), wxSize(width, std::min(std::max(wanted.y, editor.height), area.height)));
    place.x = onRight ? std::min(editor.GetRight() + gap, area.GetRight() + 1 - width)
                      : std::max(area.x, editor.x - gap - width);
    place.y = std::clamp(place.y, area.y, std::max(area.y, area.GetBottom() + 1 - place.height));
    return place;
}
}

CScriptGraphFrame::CScriptGraphFrame(wxWindow* parent)
    : wxFrame(parent, wxID_ANY, "Script Graph")
{
    auto* file = new wxMenu;
    file->Append(ID_GRAPH_EXPORT_SVG, "Export &SVG...");
    file->Append(ID_GRAPH_EXPORT_PNG, "Export &PNG...");
    file->Append(ID_GRAPH_EXPORT_DOT, "Export &DOT...");
    file->AppendSeparator();
    file->Append(wxID_CLOSE, "&Close\tCtrl+W");
    auto* view = new wxMenu;
    // The keys themselves are read by the window's key hook, which also takes Ctrl+= and the
    // number pad's keys; the menu only shows them.
    view->Append(ID_GRAPH_ZOOM_IN, "Zoom &In\tCtrl++");
    view->Append(ID_GRAPH_ZOOM_OUT, "Zoom &Out\tCtrl+-");
    view->Append(ID_GRAPH_FIT, "&Fit\t0");
    view->AppendSeparator();
    view->Append(ID_GRAPH_CANCEL_LAYOUT, "&Cancel Layout\tEsc");
    view->Append(ID_GRAPH_LAY_OUT_AGAIN, "&Lay Out Again\tCtrl+L");
    auto* menus = new wxMenuBar;
    menus->Append(file, "&File");
    menus->Append(view, "&View");
    SetMenuBar(menus);
    CreateStatusBar();
    SetStatusText(kHint);

    m_canvas = new CScriptGraphCanvas(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_canvas, 1, wxEXPAND);
    SetSizer(sizer);
    SetSize(PlaceBeside(parent, FromDIP(wxSize(560, 600)), FromDIP(320)));
    SetMinSize(FromDIP(wxSize(240, 200)));
    KeepUsableBesideModalDialogs(*this);

    for (const CExportKind& kind : kExportKinds)
    {
        const int id = kind.format == EGraphFormat::Svg   ? ID_GRAPH_EXPORT_SVG
                       : kind.format == EGraphFormat::Png ? ID_GRAPH_EXPORT_PNG
                                                          : ID_GRAPH_EXPORT_DOT;
        Bind(wxEVT_MENU, [this, format = kind.format](wxCommandEvent&) { Export(format); }, id);
    }
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_CLOSE);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { m_canvas->ZoomIn(); }, ID_GRAPH_ZOOM_IN);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { m_canvas->ZoomOut(); }, ID_GRAPH_ZOOM_OUT);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { m_canvas->Fit(); }, ID_GRAPH_FIT);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { CancelLayout(); }, ID_GRAPH_CANCEL_LAYOUT);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) {
        m_laidOut = false;
        CatchUp();
    }, ID_GRAPH_LAY_OUT_AGAIN);
    Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(LayingOut()); }, ID_GRAPH_CANCEL_LAYOUT);
    m_layoutTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &CScriptGraphFrame::OnLayoutTimer, this);
    Bind(wxEVT_IDLE, &CScriptGraphFrame::OnIdle, this);

    Bind(wxEVT_CHAR_HOOK, &CScriptGraphFrame::OnCharHook, this);
}

void CScriptGraphFrame::Follow(const CBhavScript& script, const CPlainTextRenderer& renderer,
                               std::function<int()> selection)
{
    m_script = &script;
    m_renderer = &renderer;
    m_selection = std::move(selection);
    m_laidOut = false;
    SetTitle("Script Graph - #" + std::to_string(script.Id()) + ": " + GameText(script.Name()));
    CatchUp();
}

void CScriptGraphFrame::SetLineHandlers(std::function<void(int)> select, std::function<void(int)> edit)
{
    m_canvas->onLineClicked = std::move(select);
    m_canvas->onLineActivated = std::move(edit);
}

void CScriptGraphFrame::CatchUp()
{
    if (m_script == nullptr || IsBeingDeleted())
        return;
    if (!m_laidOut || m_script->Lines() != m_shown)
        LayOut();
    const int line = m_selection ? m_selection() : -1;
    if (line != m_canvas->HighlightedLine())
        m_canvas->HighlightLine(line);
}

void CScriptGraphFrame::LayOut()
{
    m_shown = m_script->Lines();
    m_laidOut = true;
    // The boxes' texts are made here, where the renderer lives; only Graphviz runs on the worker.
    m_worker.Request(CScriptGraph::Build(*m_script, *m_renderer));
    m_waiting = true;
    if (m_canvas->Graph().Nodes().empty())
        m_canvas->SetMessage(kLayingOut);
    SetStatusText(kLayingOut);
    m_layoutTimer.Start(kLayoutPollMs);
}

void CScriptGraphFrame::ShowLayout()
{
    std::optional<CGraphLayoutWorker::CResult> result = m_worker.TakeResult();
    if (!result)
        return;
    m_layoutTimer.Stop();
    m_waiting = false;
    ++m_layoutCount;
    if (result->laidOut)
        m_canvas->SetGraph(std::move(result->graph), std::move(result->layout));
    else
        m_canvas->SetMessage("The graph could not be laid out: " + wxString::FromUTF8(result->error));
    SetStatusText(kHint);
}

void CScriptGraphFrame::CancelLayout()
{
    if (!LayingOut())
        return;
    m_worker.Cancel();
    m_waiting = false;
    m_layoutTimer.Stop();
    if (m_canvas->Graph().Nodes().empty())
        m_canvas->SetMessage("The layout was cancelled. View > Lay Out Again lays the graph out.");
    SetStatusText("Layout cancelled: the graph shows the lines as they were. View > Lay Out Again lays it out.");
}

void CScriptGraphFrame::OnLayoutTimer(wxTimerEvent&)
{
    ShowLayout();
}

void CScriptGraphFrame::Export(EGraphFormat format)
{
    if (m_script == nullptr)
        return;
    const CExportKind* kind = &kExportKinds[0];
    for (const CExportKind& each : kExportKinds)
        if (each.format == format)
            kind = &each;
    const wxString path = Ui().ChooseFileToSave(this, "Export Graph", kind->wildcard,
                                                "script " + std::to_string(m_script->Id()) + "." + kind->extension);
    if (path.empty())
        return;
    const std::string title = "#" + std::to_string(m_script->Id()) + ": " + Windows1252ToUtf8(m_script->Name());
    const CResult<std::string, EGraphFailure> drawn = RenderGraph(CScriptGraph::Build(*m_script, *m_renderer), format, title);
    if (!drawn)
    {
        ShowErrorMessage(this, "The graph could not be drawn: " + wxString::FromUTF8(GraphFailureText(drawn.Failure())));
        return;
    }
    const std::string& output = *drawn;
    const auto write = [&output](CByteStream& stream) { return stream.Write(output.data(), output.size()); };
    if (const CStatus<EFileWrite> written = WriteFileAtomically(CorePath(path), write); !written)
    {
        ShowErrorMessage(this, wxString::FromUTF8(FileWriteFailureText(written.Failure())));
        return;
    }
    SetStatusText("Exported to " + path);
}

void CScriptGraphFrame::OnIdle(wxIdleEvent& event)
{
    CatchUp();
    event.Skip();
}

void CScriptGraphFrame::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    // The menus' keys are taken here, ahead of the toolkit's own accelerators, which a modal
    // dialog beside the window holds back.
    for (const wxMenu* menu : {GetMenuBar()->GetMenu(0), GetMenuBar()->GetMenu(1)})
    {
        for (const wxMenuItem* item : menu->GetMenuItems())
        {
            const wxAcceleratorEntry* accel = item->GetAccel();
            const bool matches = accel != nullptr && accel->GetFlags() == wxACCEL_CTRL &&
                                 event.GetModifiers() == wxMOD_CONTROL && accel->GetKeyCode() == wxToupper(key) &&
                                 wxIsalpha(key);
            delete accel;
            if (matches && item->IsEnabled())
            {
                wxCommandEvent command(wxEVT_MENU, item->GetId());
                command.SetEventObject(this);
                ProcessWindowEvent(command);
                return;
            }
        }
    }
    // Plus and minus come shifted on some layouts and from the number pad on others.
    const int modifiers = event.GetModifiers() & ~wxMOD_SHIFT;
    if (modifiers == wxMOD_CONTROL && (key == '+' || key == '=' || key == WXK_NUMPAD_ADD))
        m_canvas->ZoomIn();
    else if (modifiers == wxMOD_CONTROL && (key == '-' || key == WXK_NUMPAD_SUBTRACT))
        m_canvas->ZoomOut();
    else if ((modifiers == wxMOD_NONE || modifiers == wxMOD_CONTROL) && (key == '0' || key == WXK_NUMPAD0))
        m_canvas->Fit();
    else if (event.GetModifiers() == wxMOD_NONE && key == WXK_ESCAPE && LayingOut())
        CancelLayout();
    else if (event.GetModifiers() == wxMOD_NONE && key == WXK_ESCAPE)
        Close();
    else
        event.Skip();
}
