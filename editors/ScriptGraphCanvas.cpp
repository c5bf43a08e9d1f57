#include "ScriptGraphCanvas.h"

#include "graph/GraphStyle.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
constexpr double kMinZoom = 0.02;
constexpr double kMaxZoom = 4.0;
constexpr double kZoomStep = 1.25;
// The smallest zoom a graph first opens with: a long script is shown from its first line,
// readable, rather than whole and too small to read.
constexpr double kFirstZoom = 0.8;
constexpr int kMargin = 12;        // pixels around the drawing
constexpr int kDragThreshold = 3;  // pixels the mouse moves before a press pans instead of clicking
constexpr int kKeyPan = 40;        // pixels an arrow key pans
// Graphviz sets rows of text this far apart, in multiples of the font size.
constexpr double kRowSpacing = 1.2;
const wxColour kHighlight(30, 100, 230);

wxColour Colour(const CGraphColour& colour)
{
    return wxColour(colour.red, colour.green, colour.blue);
}

// Laid-out lengths are points; the window's fonts take points at 96 to the inch, so a font of
// this size is kGraphFontSize laid-out points high.
wxFont LabelFont(double pointSize)
{
    return wxFont(wxFontInfo(pointSize * 72.0 / 96.0).Family(wxFONTFAMILY_SWISS));
}
}

CScriptGraphCanvas::CScriptGraphCanvas(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CScriptGraphCanvas::OnPaint, this);
    Bind(wxEVT_SIZE, &CScriptGraphCanvas::OnSize, this);
    Bind(wxEVT_LEFT_DOWN, &CScriptGraphCanvas::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CScriptGraphCanvas::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, &CScriptGraphCanvas::OnDoubleClick, this);
    Bind(wxEVT_MOTION, &CScriptGraphCanvas::OnMotion, this);
    Bind(wxEVT_MOUSEWHEEL, &CScriptGraphCanvas::OnWheel, this);
    Bind(wxEVT_KEY_DOWN, &CScriptGraphCanvas::OnKeyDown, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CScriptGraphCanvas::OnCaptureLost, this);
}

void CScriptGraphCanvas::SetGraph(CScriptGraph graph, CGraphLayout layout)
{
    m_graph = std::move(graph);
    m_layout = std::move(layout);
    m_message.clear();
    if (m_highlighted >= static_cast<int>(m_graph.LineCount()))
        m_highlighted = -1;
    if (!m_fitted && !m_layout.nodes.empty())
    {
        Fit();
        if (m_zoom < kFirstZoom)
        {
            m_zoom = kFirstZoom;
            const double width = m_layout.width * Scale();
            m_origin.m_x = std::max<double>(kMargin, (GetClientSize().x - width) / 2);
            m_origin.m_y = kMargin;
        }
        m_fitted = true;
    }
    KeepInView();
    Refresh();
}

void CScriptGraphCanvas::SetMessage(const wxString& message)
{
    m_graph = CScriptGraph();
    m_layout = CGraphLayout();
    m_message = message;
    Refresh();
}

double CScriptGraphCanvas::Scale() const
{
    return m_zoom * FromDIP(96) / 72.0;
}

wxPoint2DDouble CScriptGraphCanvas::ToWindow(const CGraphPoint& point) const
{
    return {m_origin.m_x + point.x * Scale(), m_origin.m_y + point.y * Scale()};
}

CGraphPoint CScriptGraphCanvas::ToGraph(const wxPoint& point) const
{
    return {(point.x - m_origin.m_x) / Scale(), (point.y - m_origin.m_y) / Scale()};
}

wxRect CScriptGraphCanvas::LineBox(int line) const
{
    if (line < 0 || static_cast<std::size_t>(line) >= m_graph.LineCount() ||
        static_cast<std::size_t>(line) >= m_layout.nodes.size())
        return wxRect();
    const CNodePlace& place = m_layout.nodes[static_cast<std::size_t>(line)];
    const wxPoint2DDouble topLeft = ToWindow({place.centre.x - place.width / 2, place.centre.y - place.height / 2});
    const wxPoint2DDouble bottomRight = ToWindow({place.centre.x + place.width / 2, place.centre.y + place.height / 2});
    return wxRect(wxPoint(int(std::lround(topLeft.m_x)), int(std::lround(topLeft.m_y))),
                  wxPoint(int(std::lround(bottomRight.m_x)), int(std::lround(bottomRight.m_y))));
}

int CScriptGraphCanvas::LineAt(const wxPoint& point) const
{
    const CGraphPoint at = ToGraph(point);
    for (std::size_t i = 0; i < m_graph.LineCount() && i < m_layout.nodes.size(); ++i)
    {
        const CNodePlace& place = m_layout.nodes[i];
        if (std::abs(at.x - place.centre.x) * 2 <= place.width && std::abs(at.y - place.centre.y) * 2 <= place.height)
            return static_cast<int>(i);
    }
    return -1;
}

void CScriptGraphCanvas::HighlightLine(int line)
{
    m_highlighted = line >= 0 && static_cast<std::size_t>(line) < m_graph.LineCount() ? line : -1;
    const wxRect box = LineBox(m_highlighted);
    const wxRect client(GetClientSize());
    if (!box.IsEmpty() && !client.Contains(box))
    {
        m_origin.m_x += client.GetWidth() / 2.0 - (box.x + box.width / 2.0);
        m_origin.m_y += client.GetHeight() / 2.0 - (box.y + box.height / 2.0);
        KeepInView();
    }
    Refresh();
}

void CScriptGraphCanvas::ZoomAround(double factor, const wxPoint& fixed)
{
    const double zoom = std::clamp(m_zoom * factor, kMinZoom, kMaxZoom);
    const double ratio = zoom / m_zoom;
    m_origin.m_x = fixed.x - (fixed.x - m_origin.m_x) * ratio;
    m_origin.m_y = fixed.y - (fixed.y - m_origin.m_y) * ratio;
    m_zoom = zoom;
    KeepInView();
    Refresh();
}

void CScriptGraphCanvas::ZoomIn()
{
    ZoomAround(kZoomStep, wxPoint(GetClientSize().x / 2, GetClientSize().y / 2));
}

void CScriptGraphCanvas::ZoomOut()
{
    ZoomAround(1 / kZoomStep, wxPoint(GetClientSize().x / 2, GetClientSize().y / 2));
}

void CScriptGraphCanvas::Fit()
{
    const wxSize client = GetClientSize();
    if (m_layout.width <= 0 || m_layout.height <= 0)
        return;
    const double perPoint = Scale() / m_zoom;
    const double across = (client.x - 2.0 * kMargin) / (m_layout.width * perPoint);
    const double down = (client.y - 2.0 * kMargin) / (m_layout.height * perPoint);
    m_zoom = std::clamp(std::min({across, down, 1.0}), kMinZoom, kMaxZoom);
    m_origin.m_x = (client.x - m_layout.width * Scale()) / 2;
    m_origin.m_y = std::max<double>(kMargin, (client.y - m_layout.height * Scale()) / 2);
    Refresh();
}

void CScriptGraphCanvas::KeepInView()
{
    const wxSize client = GetClientSize();
    const double width = m_layout.width * Scale();
    const double height = m_layout.height * Scale();
    // At least this much of the drawing stays in the window.
    const double keep = std::min(60.0, std::min(width, height));
    m_origin.m_x = std::clamp(m_origin.m_x, keep - width, std::max(keep - width, client.x - keep));
    m_origin.m_y = std::clamp(m_origin.m_y, keep - height, std::max(keep - height, client.y - keep));
}

void CScriptGraphCanvas::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    if (!m_message.empty())
    {
        wxRect client(GetClientSize());
        dc.SetTextForeground(*wxBLACK);
        dc.DrawLabel(m_message, client.Deflate(kMargin), wxALIGN_CENTER);
        return;
    }
    const std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    if (gc == nullptr)
        return;
    gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    gc->Translate(m_origin.m_x, m_origin.m_y);
    gc->Scale(Scale(), Scale());
    Draw(*gc);
}

void CScriptGraphCanvas::Draw(wxGraphicsContext& gc) const
{
    for (const CGraphStroke& stroke : m_layout.strokes)
        DrawStroke(gc, stroke);
    gc.SetPen(*wxTRANSPARENT_PEN);
    for (const CGraphJoint& joint : m_layout.joints)
    {
        gc.SetBrush(wxBrush(Colour(joint.colour)));
        gc.DrawEllipse(joint.centre.x - 1.8, joint.centre.y - 1.8, 3.6, 3.6);
    }
    // Only the boxes in the window: a long script has hundreds, and each costs its text.
    const CGraphPoint first = ToGraph(wxPoint(0, 0));
    const CGraphPoint last = ToGraph(wxPoint(GetClientSize().x, GetClientSize().y));
    for (const CGraphNote& note : m_layout.notes)
    {
        if (note.centre.y < first.y - kGraphFontSize || note.centre.y > last.y + kGraphFontSize)
            continue;
        gc.SetFont(LabelFont(kGraphFontSize), Colour(note.colour));
        const wxString text = wxString::FromUTF8(note.text);
        double width = 0, height = 0;
        gc.GetTextExtent(text, &width, &height);
        gc.DrawText(text, note.centre.x - width / 2, note.centre.y - height / 2);
    }
    for (std::size_t i = 0; i < m_layout.nodes.size() && i < m_graph.Nodes().size(); ++i)
    {
        const CNodePlace& place = m_layout.nodes[i];
        if (place.centre.x + place.width / 2 < first.x || place.centre.x - place.width / 2 > last.x ||
            place.centre.y + place.height / 2 < first.y || place.centre.y - place.height / 2 > last.y)
            continue;
        DrawNode(gc, i);
    }
}

void CScriptGraphCanvas::DrawStroke(wxGraphicsContext& gc, const CGraphStroke& stroke) const
{
    const wxColour colour = Colour(stroke.look.colour);
    gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(colour, 1.0).Style(stroke.look.dashed ? wxPENSTYLE_SHORT_DASH : wxPENSTYLE_SOLID)));
    wxGraphicsPath path = gc.CreatePath();
    for (const std::vector<CGraphPoint>& curve : stroke.curves)
    {
        if (curve.empty())
            continue;
        path.MoveToPoint(curve[0].x, curve[0].y);
        for (std::size_t i = 1; i + 2 < curve.size(); i += 3)
            path.AddCurveToPoint(curve[i].x, curve[i].y, curve[i + 1].x, curve[i + 1].y, curve[i + 2].x, curve[i + 2].y);
    }
    gc.StrokePath(path);
    if (!stroke.arrow || stroke.curves.empty() || stroke.curves.back().empty())
        return;
    // The head runs from the end of the curve to the tip, as wide as two thirds of its length.
    const CGraphPoint base = stroke.curves.back().back();
    const double dx = stroke.arrowTip.x - base.x;
    const double dy = stroke.arrowTip.y - base.y;
    const double length = std::hypot(dx, dy);
    if (length < 0.01)
        return;
    const double half = length / 3;
    const double nx = -dy / length * half;
    const double ny = dx / length * half;
    wxGraphicsPath head = gc.CreatePath();
    head.MoveToPoint(stroke.arrowTip.x, stroke.arrowTip.y);
    head.AddLineToPoint(base.x + nx, base.y + ny);
    head.AddLineToPoint(base.x - nx, base.y - ny);
    head.CloseSubpath();
    gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(colour, 1.0)));
    gc.SetBrush(wxBrush(colour));
    gc.DrawPath(head);
}

void CScriptGraphCanvas::DrawNode(wxGraphicsContext& gc, std::size_t index) const
{
    const CGraphNode& node = m_graph.Nodes()[index];
    const CNodePlace& place = m_layout.nodes[index];
    const CNodeLook look = NodeLook(node);
    const double left = place.centre.x - place.width / 2;
    const double top = place.centre.y - place.height / 2;
    gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(Colour(look.border), 1.0)));
    gc.SetBrush(wxBrush(Colour(look.fill)));
    if (look.rounded)
        gc.DrawRoundedRectangle(left, top, place.width, place.height, std::min(place.height / 2, 8.0));
    else
        gc.DrawRectangle(left, top, place.width, place.height);
    if (static_cast<int>(index) == m_highlighted)
    {
        gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(kHighlight, 3.0)));
        gc.SetBrush(*wxTRANSPARENT_BRUSH);
        gc.DrawRectangle(left - 2.5, top - 2.5, place.width + 5, place.height + 5);
    }

    // Graphviz measured the rows with its own fonts; where the window's come out wider, the rows
    // are set smaller rather than past the box.
    double fontSize = kGraphFontSize;
    gc.SetFont(LabelFont(fontSize), Colour(look.text));
    double widest = 0;
    for (const std::string& row : node.label)
    {
        double width = 0, height = 0;
        gc.GetTextExtent(wxString::FromUTF8(row), &width, &height);
        widest = std::max(widest, width);
    }
    const double room = place.width - 4;
    if (widest > room && widest > 0)
    {
        fontSize *= room / widest;
        gc.SetFont(LabelFont(fontSize), Colour(look.text));
    }
    const double rowHeight = fontSize * kRowSpacing;
    double y = place.centre.y - rowHeight * double(node.label.size()) / 2;
    for (const std::string& row : node.label)
    {
        const wxString text = wxString::FromUTF8(row);
        double width = 0, height = 0;
        gc.GetTextExtent(text, &width, &height);
        gc.DrawText(text, place.centre.x - width / 2, y + (rowHeight - height) / 2);
        y += rowHeight;
    }
}

void CScriptGraphCanvas::OnSize(wxSizeEvent& event)
{
    KeepInView();
    Refresh();
    event.Skip();
}

void CScriptGraphCanvas::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    m_pressed = true;
    m_panning = false;
    m_pressedAt = event.GetPosition();
    m_originAtPress = m_origin;
    if (!HasCapture())
        CaptureMouse();
}

void CScriptGraphCanvas::OnMotion(wxMouseEvent& event)
{
    if (!m_pressed || !event.LeftIsDown())
        return;
    const wxPoint moved = event.GetPosition() - m_pressedAt;
    if (!m_panning && std::abs(moved.x) + std::abs(moved.y) < kDragThreshold)
        return;
    m_panning = true;
    SetCursor(wxCursor(wxCURSOR_HAND));
    m_origin = m_originAtPress + wxPoint2DDouble(moved.x, moved.y);
    KeepInView();
    Refresh();
}

void CScriptGraphCanvas::OnLeftUp(wxMouseEvent& event)
{
    if (HasCapture())
        ReleaseMouse();
    const bool clicked = m_pressed && !m_panning;
    m_pressed = false;
    m_panning = false;
    SetCursor(wxNullCursor);
    if (!clicked)
        return;
    const int line = LineAt(event.GetPosition());
    if (line >= 0 && onLineClicked)
        onLineClicked(line);
}

void CScriptGraphCanvas::OnDoubleClick(wxMouseEvent& event)
{
    const int line = LineAt(event.GetPosition());
    if (line >= 0 && onLineActivated)
        onLineActivated(line);
}

void CScriptGraphCanvas::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_pressed = false;
    m_panning = false;
    SetCursor(wxNullCursor);
}

void CScriptGraphCanvas::OnWheel(wxMouseEvent& event)
{
    const double notches = event.GetWheelDelta() != 0 ? double(event.GetWheelRotation()) / event.GetWheelDelta() : 0;
    if (event.ControlDown())
    {
        ZoomAround(std::pow(kZoomStep, notches), event.GetPosition());
        return;
    }
    const double distance = notches * kKeyPan * std::max(1, event.GetLinesPerAction()) / 3.0;
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL || event.ShiftDown())
        m_origin.m_x += event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL ? -distance : distance;
    else
        m_origin.m_y += distance;
    KeepInView();
    Refresh();
}

void CScriptGraphCanvas::OnKeyDown(wxKeyEvent& event)
{
    switch (event.GetKeyCode())
    {
    case WXK_LEFT:
        m_origin.m_x += kKeyPan;
        break;
    case WXK_RIGHT:
        m_origin.m_x -= kKeyPan;
        break;
    case WXK_UP:
        m_origin.m_y += kKeyPan;
        break;
    case WXK_DOWN:
        m_origin.m_y -= kKeyPan;
        break;
    case WXK_PAGEUP:
        m_origin.m_y += GetClientSize().y * 0.9;
        break;
    case WXK_PAGEDOWN:
        m_origin.m_y -= GetClientSize().y * 0.9;
        break;
    default:
        event.Skip();
        return;
    }
    KeepInView();
    Refresh();
}
