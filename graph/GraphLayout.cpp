#include "GraphLayout.h"

#include "GraphStyle.h"

#include "records/BhavInstruction.h"
#include "rendering/ScriptGraph.h"

#include <gvc.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

namespace
{
// Graphviz reports through one process-wide function; during a call it appends here.
std::string* g_messages = nullptr;

int CollectMessage(char* text)
{
    if (g_messages != nullptr && text != nullptr)
        *g_messages += text;
    return 0;
}

// Graphviz's messages of one call, errors only: a warning about a font or a size is no failure.
class CMessageScope
{
public:
    explicit CMessageScope(std::string& messages)
        : m_previousFunction(agseterrf(CollectMessage)), m_previousLevel(agseterr(AGERR))
    {
        messages.clear();
        g_messages = &messages;
    }
    ~CMessageScope()
    {
        g_messages = nullptr;
        agseterrf(m_previousFunction);
        agseterr(m_previousLevel);
    }
    CMessageScope(const CMessageScope&) = delete;
    CMessageScope& operator=(const CMessageScope&) = delete;

private:
    agusererrf m_previousFunction;
    agerrlevel_t m_previousLevel;
};

// Graphviz keeps process-wide state (its plugins, its message handler, its layout's globals): one
// call at a time, from whichever thread.
std::mutex g_graphvizCalls;

// Loads the plugins once; they stay for the life of the process.
GVC_t* Context()
{
    static GVC_t* const context = gvContext();
    return context;
}

// agwrite writes through the graph's discipline; this one appends to a std::string.
int AppendToString(void* channel, const char* text)
{
    static_cast<std::string*>(channel)->append(text);
    return 0;
}

int FlushNothing(void*)
{
    return 0;
}

Agiodisc_t g_stringIo = {nullptr, AppendToString, FlushNothing};
Agdisc_t g_stringDisc = {&AgMemDisc, &AgIdDisc, &g_stringIo};

// Graphviz 2.x takes names and values as char*, which it only reads and copies.
char* Text(const char* text)
{
    return const_cast<char*>(text);
}

void SetDefault(Agraph_t* graph, int kind, const char* name, const std::string& value)
{
    agattr(graph, kind, Text(name), Text(value.c_str()));
}

void Set(void* object, const char* name, const std::string& value)
{
    agsafeset(object, Text(name), Text(value.c_str()), Text(""));
}

// A label is an escString to Graphviz: rows end in "\n", and a backslash of the text is doubled
// so that "\N" in a script's name is not taken for the node's name.
std::string LabelText(const std::vector<std::string>& rows)
{
    std::string label;
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (i > 0)
            label += "\\n";
        for (const char c : rows[i])
        {
            if (c == '\\')
                label += '\\';
            label += c;
        }
    }
    return label;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// How the jumps into one box are drawn. Laid out one by one, the jumps of a long script into
// "return FALSE", or back into its first line, cross every rank between their line and their box,
// and dot's work grows with the square of the script's length (minutes for 250 lines). Drawn as a
// trunk that each jump joins just beside its line, they cost dot a few nodes per line instead, and
// read as one flow into the box.
enum class EJumpDrawing
{
    EachOnItsOwn,  // the graph as it is, for DOT
    Trunks,        // for laying out and drawing
};

// Which boxes a cgraph graph holds: all of them (for drawing by Graphviz), or the script and its
// tail apart, each laid out on its own and then set side by side.
enum class EGraphPart
{
    Whole,
    Script,
    Tail,
};

// Up to this many lines, dot lays a script out with all its care.
constexpr std::size_t kFewLines = 100;

// Which trunk a jump joins: the jumps into one box of one kind, and for a line the jumps from
// below it (upwards) apart from those from above, so that each trunk ends beside its box.
struct CTrunkKey
{
    std::size_t to = 0;
    bool success = true;
    bool upwards = false;

    bool operator<(const CTrunkKey& other) const
    {
        return std::tie(to, success, upwards) < std::tie(other.to, other.success, other.upwards);
    }
};

// Lines from 253 on: no jump can name them (253 to 255 are the exits), so control never gets
// there. A long script's tail of such lines, each jumping anywhere above, would cost dot more than
// the rest of the drawing together: their jumps end in a note naming the target instead, and the
// tail stands as a column of its own beside the script.
bool InTail(const CGraphNode& node)
{
    return node.kind == EGraphNodeKind::Line && node.target >= kTargetError;
}

std::optional<CTrunkKey> TrunkOf(const CScriptGraph& graph, const CGraphEdge& edge)
{
    const CGraphNode& to = graph.Nodes()[edge.to];
    if (InTail(graph.Nodes()[edge.from]))
        return std::nullopt;
    if (to.kind != EGraphNodeKind::Line)
        return CTrunkKey{edge.to, edge.success, false};
    // The line's flow on to the next line is drawn straight, and a line's jump to itself stays a
    // loop beside it.
    if (edge.from + 1 == edge.to || edge.from == edge.to)
        return std::nullopt;
    return CTrunkKey{edge.to, edge.success, edge.from > edge.to};
}

// The script's graph as a cgraph graph with every label and look, laid out on demand.
class CGraphvizGraph
{
public:
    struct CStroke
    {
        Agedge_t* edge;
        CEdgeLook look;
        bool backwards;  // drawn from its head to its tail, the arrow at the tail
    };
    struct CJoint
    {
        Agnode_t* node;
        CGraphColour colour;
    };
    struct CNote
    {
        Agnode_t* node;
        std::string text;
        CGraphColour colour;
    };

    CGraphvizGraph(const CScriptGraph& graph, const std::string& title, EJumpDrawing drawing,
                   EGraphPart part = EGraphPart::Whole)
        : m_graph(agopen(Text("script"), Agdirected, &g_stringDisc))
    {
        const auto holds = [&](std::size_t node) {
            return part == EGraphPart::Whole || InTail(graph.Nodes()[node]) == (part == EGraphPart::Tail);
        };
        SetDefault(m_graph, AGRAPH, "rankdir", "TB");
        SetDefault(m_graph, AGRAPH, "nodesep", "0.25");
        SetDefault(m_graph, AGRAPH, "ranksep", "0.35");
        SetDefault(m_graph, AGRAPH, "fontname", kGraphFontName);
        // dot's crossing minimisation and its network simplex grow far faster than the graph; a
        // long script whose lines jump anywhere would take minutes. Bounded, a few passes still
        // untangle the usual scripts, and any script lays out within a second or so.
        if (graph.LineCount() > kFewLines)
        {
            SetDefault(m_graph, AGRAPH, "mclimit", "0.1");
            SetDefault(m_graph, AGRAPH, "nslimit", "2");
            SetDefault(m_graph, AGRAPH, "nslimit1", "2");
            SetDefault(m_graph, AGRAPH, "remincross", "false");
        }
        // The tail and the script are laid out apart and set side by side: together, dot's
        // placing of the one drags on the other.
        if (drawing == EJumpDrawing::Trunks && part == EGraphPart::Whole && graph.LineCount() > kTargetError)
            SetDefault(m_graph, AGRAPH, "pack", "true");
        if (!title.empty())
        {
            SetDefault(m_graph, AGRAPH, "label", LabelText({title}));
            SetDefault(m_graph, AGRAPH, "labelloc", "t");
            SetDefault(m_graph, AGRAPH, "fontsize", Number(kGraphFontSize + 2));
        }
        SetDefault(m_graph, AGNODE, "shape", "box");
        SetDefault(m_graph, AGNODE, "fontname", kGraphFontName);
        SetDefault(m_graph, AGNODE, "fontsize", Number(kGraphFontSize));
        SetDefault(m_graph, AGNODE, "margin", "0.1,0.05");
        SetDefault(m_graph, AGEDGE, "arrowsize", "0.7");

        for (const CGraphNode& node : graph.Nodes())
        {
            if (!holds(m_nodes.size()))
            {
                m_nodes.push_back(nullptr);
                continue;
            }
            Agnode_t* box = agnode(m_graph, Text(node.name.c_str()), 1);
            const CNodeLook look = NodeLook(node);
            Set(box, "label", LabelText(node.label));
            Set(box, "style", look.rounded ? "rounded,filled" : "filled");
            Set(box, "fillcolor", look.fill.Hex());
            Set(box, "color", look.border.Hex());
            Set(box, "fontcolor", look.text.Hex());
            m_nodes.push_back(box);
        }
        // The script starts at the top, however its lines jump.
        if (graph.LineCount() > 0 && m_nodes.front() != nullptr)
        {
            Agraph_t* entry = agsubg(m_graph, Text("entry"), 1);
            Set(entry, "rank", "min");
            agsubnode(entry, m_nodes.front(), 1);
        }

        // The jumps into each box that may share a trunk, by kind and direction, in line order.
        std::map<CTrunkKey, std::vector<std::size_t>> trunks;
        const auto& edges = graph.Edges();
        if (drawing == EJumpDrawing::Trunks)
        {
            for (std::size_t i = 0; i < edges.size(); ++i)
                if (const std::optional<CTrunkKey> key = holds(edges[i].from) ? TrunkOf(graph, edges[i]) : std::nullopt)
                    trunks[*key].push_back(i);
        }
        Agnode_t* tailAbove = nullptr;
        for (std::size_t i = 0; i < graph.Nodes().size(); ++i)
        {
            if (drawing != EJumpDrawing::Trunks || !InTail(graph.Nodes()[i]) || !holds(i))
                continue;
            // Each tail line under the one before it, by an edge that is not drawn.
            if (tailAbove != nullptr)
            {
                Agedge_t* order = agedge(m_graph, tailAbove, m_nodes[i], nullptr, 1);
                Set(order, "style", "invis");
                Set(order, "weight", "10");
            }
            tailAbove = m_nodes[i];
        }
        for (const CGraphEdge& edge : edges)
        {
            if (!holds(edge.from))
                continue;
            if (drawing == EJumpDrawing::Trunks && InTail(graph.Nodes()[edge.from]))
            {
                AddNote(graph, edge);
                continue;
            }
            const std::optional<CTrunkKey> key = drawing == EJumpDrawing::Trunks ? TrunkOf(graph, edge) : std::nullopt;
            if (!key || trunks[*key].size() < 2)
                AddStroke(m_nodes[edge.from], m_nodes[edge.to], Look(graph, edge), true, edge.success ? 3 : 1);
        }
        for (const auto& [key, members] : trunks)
        {
            if (members.size() < 2)
                continue;
            const std::size_t to = key.to;
            const bool success = key.success;
            // The trunk is drawn live when any jump that joins it is.
            bool reachable = false;
            for (const std::size_t member : members)
                reachable = reachable || graph.Nodes()[edges[member].from].reachable;
            const CEdgeLook trunkLook = EdgeLook(edges[members.front()], reachable);
            const std::string prefix =
                "joint_" + graph.Nodes()[to].name + (success ? "_s" : "_f") + (key.upwards ? "u" : "");
            // A trunk up into a line runs from the line down past its members, every stroke
            // pointing down as the script's flow does, with the arrow drawn at the line's end: dot
            // then has no loop to break, which would cost it more than the whole layout.
            Agnode_t* previous = key.upwards ? m_nodes[to] : nullptr;
            for (std::size_t k = 0; k < members.size(); ++k)
            {
                const CGraphEdge& edge = edges[members[k]];
                Agnode_t* joint = agnode(m_graph, Text((prefix + std::to_string(k)).c_str()), 1);
                Set(joint, "shape", "point");
                Set(joint, "width", "0.05");
                Set(joint, "label", "");
                Set(joint, "color", trunkLook.colour.Hex());
                Set(joint, "fillcolor", trunkLook.colour.Hex());
                m_joints.push_back({joint, trunkLook.colour});
                AddStroke(m_nodes[edge.from], joint, Look(graph, edge), false, 1);
                if (previous != nullptr)
                    AddStroke(previous, joint, trunkLook, key.upwards && k == 0, 2, key.upwards);
                previous = joint;
            }
            if (!key.upwards)
                AddStroke(previous, m_nodes[to], trunkLook, true, 2);
        }
    }

    ~CGraphvizGraph()
    {
        if (m_laidOut)
            gvFreeLayout(Context(), m_graph);
        agclose(m_graph);
    }

    CGraphvizGraph(const CGraphvizGraph&) = delete;
    CGraphvizGraph& operator=(const CGraphvizGraph&) = delete;

    bool LayOut()
    {
        m_laidOut = gvLayout(Context(), m_graph, "dot") == 0;
        return m_laidOut;
    }

    Agraph_t* Graph() const { return m_graph; }
    const std::vector<Agnode_t*>& Nodes() const { return m_nodes; }
    const std::vector<CStroke>& Strokes() const { return m_strokes; }
    const std::vector<CJoint>& Joints() const { return m_joints; }
    const std::vector<CNote>& Notes() const { return m_notes; }

private:
    static CEdgeLook Look(const CScriptGraph& graph, const CGraphEdge& edge)
    {
        return EdgeLook(edge, graph.Nodes()[edge.from].reachable);
    }

    void AddNote(const CScriptGraph& graph, const CGraphEdge& edge)
    {
        const CGraphNode& from = graph.Nodes()[edge.from];
        const CGraphNode& to = graph.Nodes()[edge.to];
        const std::string text = to.kind == EGraphNodeKind::Line ? "line " + std::to_string(to.target + 1)
                                 : to.label.empty()               ? to.name
                                                                  : to.label.front();
        const CEdgeLook look = Look(graph, edge);
        Agnode_t* note = agnode(m_graph, Text((from.name + (edge.success ? "_note_s" : "_note_f")).c_str()), 1);
        Set(note, "shape", "plaintext");
        Set(note, "label", LabelText({text}));
        Set(note, "fontcolor", look.colour.Hex());
        Set(note, "margin", "0.02,0.01");
        m_notes.push_back({note, text, look.colour});
        AddStroke(m_nodes[edge.from], note, look, true, 1);
    }

    void AddStroke(Agnode_t* from, Agnode_t* to, const CEdgeLook& look, bool arrow, int weight, bool backwards = false)
    {
        // Anonymous edges, so that a line whose two targets agree gets both.
        Agedge_t* edge = agedge(m_graph, from, to, nullptr, 1);
        Set(edge, "color", look.colour.Hex());
        Set(edge, "style", look.dashed ? "dashed" : "solid");
        if (!arrow)
            Set(edge, "arrowhead", "none");
        else if (backwards)
            Set(edge, "dir", "back");
        // Success jumps and trunks pull harder, so that the path taken when all goes well runs
        // straight down and a trunk runs straight along its lines.
        Set(edge, "weight", std::to_string(weight));
        m_strokes.push_back({edge, look, backwards && arrow});
    }

    Agraph_t* m_graph;
    std::vector<Agnode_t*> m_nodes;
    std::vector<CStroke> m_strokes;
    std::vector<CJoint> m_joints;
    std::vector<CNote> m_notes;
    bool m_laidOut = false;
};

// The failure with what Graphviz said while it ran, its trailing line breaks cut off.
CFailure<EGraphFailure> GraphvizFailure(EGraphFailure what, std::string said)
{
    while (!said.empty() && (said.back() == '\n' || said.back() == ' '))
        said.pop_back();
    return Fail(what, 0, std::move(said));
}
}

std::string GraphFailureText(const CFailure<EGraphFailure>& failure)
{
    if (!failure.detail.empty())
        return failure.detail;
    switch (failure.what)
    {
    case EGraphFailure::Ok:
        return {};
    case EGraphFailure::LayOut:
        return "Graphviz could not lay out the graph.";
    case EGraphFailure::Write:
        return "Graphviz could not write the graph.";
    case EGraphFailure::Draw:
        return "Graphviz could not draw the graph.";
    }
    return {};
}

namespace
{
// Adds a laid-out part to the layout, moved right by `left`.
void AddPart(const CGraphvizGraph& laid, double left, CGraphLayout& layout)
{
    // Graphviz's y axis points up; a window's points down.
    const boxf box = GD_bb(laid.Graph());
    const auto place = [&box, left](pointf point) { return CGraphPoint{point.x - box.LL.x + left, box.UR.y - point.y}; };
    layout.width = left + box.UR.x - box.LL.x;
    layout.height = std::max(layout.height, box.UR.y - box.LL.y);
    for (std::size_t i = 0; i < laid.Nodes().size(); ++i)
        if (Agnode_t* node = laid.Nodes()[i]; node != nullptr)
            layout.nodes[i] = {place(ND_coord(node)), ND_width(node) * 72.0, ND_height(node) * 72.0};
    for (const CGraphvizGraph::CJoint& joint : laid.Joints())
        layout.joints.push_back({place(ND_coord(joint.node)), joint.colour});
    for (const CGraphvizGraph::CNote& note : laid.Notes())
        layout.notes.push_back({place(ND_coord(note.node)), note.text, note.colour});
    for (const CGraphvizGraph::CStroke& stroke : laid.Strokes())
    {
        CGraphStroke drawn;
        drawn.look = stroke.look;
        if (const splines* spline = ED_spl(stroke.edge); spline != nullptr)
        {
            for (int i = 0; i < spline->size; ++i)
            {
                const bezier& curve = spline->list[i];
                std::vector<CGraphPoint> points;
                for (int p = 0; p < curve.size; ++p)
                    points.push_back(place(curve.list[p]));
                drawn.curves.push_back(std::move(points));
                if (curve.eflag)
                {
                    drawn.arrow = true;
                    drawn.arrowTip = place(curve.ep);
                }
            }
        }
        // A stroke drawn backwards is turned round, so that every stroke ends at its arrow.
        if (stroke.backwards)
        {
            std::reverse(drawn.curves.begin(), drawn.curves.end());
            for (std::vector<CGraphPoint>& points : drawn.curves)
                std::reverse(points.begin(), points.end());
            if (const splines* spline = ED_spl(stroke.edge); spline != nullptr && spline->size > 0 && spline->list[0].sflag)
            {
                drawn.arrow = true;
                drawn.arrowTip = place(spline->list[0].sp);
            }
        }
        layout.strokes.push_back(std::move(drawn));
    }
}
}

CResult<CGraphLayout, EGraphFailure> LayOutGraph(const CScriptGraph& graph)
{
    const std::lock_guard<std::mutex> oneCall(g_graphvizCalls);
    std::string said;
    CMessageScope messages(said);
    const bool withTail = graph.LineCount() > kTargetError;
    CGraphvizGraph script(graph, std::string(), EJumpDrawing::Trunks, withTail ? EGraphPart::Script : EGraphPart::Whole);
    if (!script.LayOut())
        return GraphvizFailure(EGraphFailure::LayOut, said);
    CGraphLayout layout;
    layout.nodes.resize(graph.Nodes().size());
    AddPart(script, 0, layout);
    if (withTail)
    {
        CGraphvizGraph tail(graph, std::string(), EJumpDrawing::Trunks, EGraphPart::Tail);
        if (!tail.LayOut())
            return GraphvizFailure(EGraphFailure::LayOut, said);
        // Half an inch between the script and its tail.
        AddPart(tail, layout.width + 36, layout);
    }
    return layout;
}

CResult<std::string, EGraphFailure> RenderGraph(const CScriptGraph& graph, EGraphFormat format,
                                                const std::string& title)
{
    const std::lock_guard<std::mutex> oneCall(g_graphvizCalls);
    std::string said;
    CMessageScope messages(said);
    CGraphvizGraph drawn(graph, title, format == EGraphFormat::Dot ? EJumpDrawing::EachOnItsOwn : EJumpDrawing::Trunks);
    std::string output;
    if (format == EGraphFormat::Dot)
    {
        if (agwrite(drawn.Graph(), &output) != 0)
            return GraphvizFailure(EGraphFailure::Write, said);
        return output;
    }
    if (!drawn.LayOut())
        return GraphvizFailure(EGraphFailure::LayOut, said);
    char* data = nullptr;
    unsigned int length = 0;
    const int failed = gvRenderData(Context(), drawn.Graph(), format == EGraphFormat::Svg ? "svg" : "png", &data, &length);
    if (failed == 0 && data != nullptr)
        output.assign(data, length);
    gvFreeRenderData(data);
    if (failed != 0 || output.empty())
        return GraphvizFailure(EGraphFailure::Draw, said);
    return output;
}
