#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CBhavScript;
class CPlainTextRenderer;

/// What the graph command and window say in a build without Graphviz (the Windows build), which
/// cannot lay out or draw the graph.
inline constexpr const char* kGraphNeedsGraphviz = "The graph needs Graphviz, which this build does not include.";

/// What a box of a script's graph stands for.
enum class EGraphNodeKind
{
    Line,         // an instruction of the script
    Exit,         // one of the three returns, drawn once however many lines take it
    MissingLine,  // a target past the last line, which the game would jump into nothing
};

/// One box of the graph.
struct CGraphNode
{
    EGraphNodeKind kind = EGraphNodeKind::Line;
    /// The line's index for a line; the target value for an exit (253 to 255) and a missing line.
    int target = 0;
    /// A name unique in the graph that depends only on what the box stands for ("line3", "true",
    /// "missing12"), so that a file written from the graph keeps its names across edits.
    std::string name;
    /// The text of the box, one entry per row, UTF-8.
    std::vector<std::string> label;
    /// Whether control gets there from line 0; the rest is drawn greyed.
    bool reachable = false;
};

/// One jump: from a line's box to the box of its success or failure target.
struct CGraphEdge
{
    std::size_t from = 0;  // node indices
    std::size_t to = 0;
    bool success = true;
};

/// A behaviour script as a graph: a box per line with its number and description, a box per exit
/// and per missing target that some line takes, and an edge per target of every line. Line i is
/// node i; the exits follow in the order TRUE, FALSE, ERROR, then the missing lines by number.
class CScriptGraph
{
public:
    /// The widest row of a label, in characters; longer descriptions are wrapped at blanks.
    static constexpr std::size_t kLabelWidth = 40;

    /// The graph of `script`, its lines described by `renderer` as the script editor shows them.
    static CScriptGraph Build(const CBhavScript& script, const CPlainTextRenderer& renderer);

    const std::vector<CGraphNode>& Nodes() const { return m_nodes; }
    const std::vector<CGraphEdge>& Edges() const { return m_edges; }
    /// The number of lines of the script, which are the first nodes.
    std::size_t LineCount() const { return m_lineCount; }

private:
    std::vector<CGraphNode> m_nodes;
    std::vector<CGraphEdge> m_edges;
    std::size_t m_lineCount = 0;
};

/// Breaks UTF-8 text at blanks into rows of at most `width` characters; a word longer than a row
/// is cut. Never returns an empty list.
std::vector<std::string> WrapText(const std::string& text, std::size_t width);
