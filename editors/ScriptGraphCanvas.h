#pragma once

#include "graph/GraphLayout.h"
#include "rendering/ScriptGraph.h"

#include <wx/geometry.h>
#include <wx/window.h>

#include <functional>

class wxGraphicsContext;

/// A laid-out script graph drawn natively, zoomed with Ctrl+wheel and panned by dragging. A click
/// on a line's box and a double-click are handed to the owner; one line's box can be highlighted.
class CScriptGraphCanvas : public wxWindow
{
public:
    explicit CScriptGraphCanvas(wxWindow* parent);

    /// Shows a new graph. The first is fitted into the window; later ones keep the zoom and the
    /// view, so that the drawing stays put while the script is edited.
    void SetGraph(CScriptGraph graph, CGraphLayout layout);
    /// Instead of a graph, a message (why there is none).
    void SetMessage(const wxString& message);

    const CScriptGraph& Graph() const { return m_graph; }

    /// Highlights the box of `line` (-1: none) and scrolls it into view.
    void HighlightLine(int line);
    int HighlightedLine() const { return m_highlighted; }

    void ZoomIn();
    void ZoomOut();
    /// Zooms so that the whole graph fits the window, at most to its natural size.
    void Fit();
    double Zoom() const { return m_zoom; }

    /// The box of line `line` in the window's coordinates; empty when the graph has no such line.
    wxRect LineBox(int line) const;
    /// The line whose box holds `point` (window coordinates); -1 when none does.
    int LineAt(const wxPoint& point) const;

    /// Called with the line of a box clicked, and of a box double-clicked.
    std::function<void(int)> onLineClicked;
    std::function<void(int)> onLineActivated;

private:
    /// Pixels per laid-out point at the current zoom.
    double Scale() const;
    wxPoint2DDouble ToWindow(const CGraphPoint& point) const;
    CGraphPoint ToGraph(const wxPoint& point) const;
    void ZoomAround(double factor, const wxPoint& fixed);
    /// Keeps part of the drawing in the window, however far it was panned.
    void KeepInView();

    void Draw(wxGraphicsContext& gc) const;
    void DrawStroke(wxGraphicsContext& gc, const CGraphStroke& stroke) const;
    void DrawNode(wxGraphicsContext& gc, std::size_t index) const;

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnDoubleClick(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);

    CScriptGraph m_graph;
    CGraphLayout m_layout;
    wxString m_message;
    bool m_fitted = false;  // the view has been fitted once; later graphs keep it
    double m_zoom = 1.0;
    wxPoint2DDouble m_origin;  // where the drawing's top left corner is, in window pixels
    int m_highlighted = -1;
    bool m_pressed = false;
    bool m_panning = false;
    wxPoint m_pressedAt;
    wxPoint2DDouble m_originAtPress;
};
