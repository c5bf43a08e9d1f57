#pragma once

#include "graph/GraphLayout.h"
#include "graph/GraphLayoutWorker.h"
#include "records/BhavInstruction.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <string>
#include <vector>

class CBhavScript;
class CPlainTextRenderer;
class CScriptGraphCanvas;
class wxIdleEvent;
class wxKeyEvent;

/// The window beside the script editor that draws the script's control flow: a box per line,
/// exit and missing line, laid out by Graphviz and drawn natively. It follows the editor: the
/// graph is laid out again whenever the script's lines change, and the editor's selected line is
/// highlighted. Clicking a line's box and double-clicking it are handed to the editor. The File
/// menu exports the graph as SVG, PNG or DOT. Graphviz lays the graph out on a thread of its own;
/// meanwhile the window keeps the graph it had, and View > Cancel Layout (Escape) gives up waiting.
class CScriptGraphFrame : public wxFrame
{
public:
    /// Opens beside `parent`, which it closes with.
    explicit CScriptGraphFrame(wxWindow* parent);

    /// Follows `script`, whose calls `renderer` names, and highlights the line that `selection`
    /// gives (-1: none). The script and the renderer must outlive the window.
    void Follow(const CBhavScript& script, const CPlainTextRenderer& renderer, std::function<int()> selection);
    /// What a click on a line's box and a double-click ask of the editor.
    void SetLineHandlers(std::function<void(int)> select, std::function<void(int)> edit);
    /// Lays the graph out again when the lines changed since the last time, and highlights the
    /// selected line; the window does this by itself whenever the program is idle.
    void CatchUp();

    CScriptGraphCanvas* Canvas() const { return m_canvas; }
    /// How many layouts the window received and showed.
    int LayoutCount() const { return m_layoutCount; }
    /// Whether a layout is under way, its result not yet shown.
    bool LayingOut() const { return m_waiting; }
    /// Stops waiting for the layout under way; the graph is not laid out again until the lines
    /// change or View > Lay Out Again.
    void CancelLayout();

private:
    void LayOut();
    void ShowLayout();
    void Export(EGraphFormat format);

    void OnIdle(wxIdleEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnLayoutTimer(wxTimerEvent& event);

    CScriptGraphCanvas* m_canvas = nullptr;
    const CBhavScript* m_script = nullptr;
    const CPlainTextRenderer* m_renderer = nullptr;
    std::function<int()> m_selection;
    std::vector<CBhavInstruction> m_shown;  // the lines the graph was laid out from
    bool m_laidOut = false;
    int m_layoutCount = 0;
    CGraphLayoutWorker m_worker;
    bool m_waiting = false;  // a layout was asked for and is not shown yet
    wxTimer m_layoutTimer;  // looks for the worker's result while it lays out
};
