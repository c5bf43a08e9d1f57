// The script's graph window beside the script editor: opened from it, following its selection and
// every change, and handing clicks on a box back to it.

#include "ScriptDialogDriving.h"
#include "tests/IndexedFiles.h"

#include "editors/LineEditDlg.h"
#include "editors/ScriptEditorDlg.h"
#include "editors/ScriptGraphCanvas.h"
#include "editors/ScriptGraphFrame.h"
#include "editors/ScriptLineListBox.h"
#include "records/BhavScript.h"
#include "rendering/NeededFiles.h"
#include "resources/ScriptEditorIds.h"
#include "resources/ScriptGraphIds.h"

#include <gtest/gtest.h>

namespace
{
CBhavInstruction Line(std::uint8_t t, std::uint8_t f)
{
    CBhavInstruction instruction;
    instruction.opcode = 256;
    instruction.trueTarget = t;
    instruction.falseTarget = f;
    return instruction;
}

void SendMouse(wxWindow& window, wxEventType type, const wxPoint& at)
{
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.m_leftDown = type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK;
    event.SetEventObject(&window);
    window.GetEventHandler()->ProcessEvent(event);
}

/// Clicks the box of `line` as the user would; twice for a double-click.
void ClickBox(CScriptGraphCanvas& canvas, int line, bool twice = false)
{
    const wxRect box = canvas.LineBox(line);
    ASSERT_FALSE(box.IsEmpty()) << "no box for line " << line + 1;
    const wxPoint at(box.x + box.width / 2, box.y + box.height / 2);
    SendMouse(canvas, wxEVT_LEFT_DOWN, at);
    SendMouse(canvas, wxEVT_LEFT_UP, at);
    if (twice)
    {
        SendMouse(canvas, wxEVT_LEFT_DCLICK, at);
        SendMouse(canvas, wxEVT_LEFT_UP, at);
    }
}

/// Waits for the graph window's layout under way, if any.
bool LaidOut(CScriptGraphFrame& graph)
{
    return WaitUntil([&graph] {
        graph.CatchUp();
        return !graph.LayingOut();
    });
}

/// The boxes and jumps of a graph, as their labels and ends.
std::vector<std::string> Drawn(const CScriptGraph& graph)
{
    std::vector<std::string> drawn;
    for (const CGraphNode& node : graph.Nodes())
        drawn.push_back(node.name + " " + node.label.front());
    for (const CGraphEdge& edge : graph.Edges())
        drawn.push_back(graph.Nodes()[edge.from].name + (edge.success ? ">" : "/") + graph.Nodes()[edge.to].name);
    return drawn;
}

class ScriptGraphWindow : public testing::Test
{
protected:
    ScriptGraphWindow() : m_scope(m_ui)
    {
        AddIndexedFile(m_files, "Global.iff", {{256, "Wait For Notify"}});
        m_script.SetId(4096);
        m_script.SetName("init");
        // Line 3 loops back to line 2; line 4 is reached from nowhere.
        m_script.ReplaceLines({Line(1, 255), Line(2, 254), Line(1, 255), Line(254, 255)});
    }

    /// Runs the editor with its graph open; `body` runs inside, after the drivers of `nested`
    /// have been queued for the dialogs that it opens.
    void Run(std::function<void(CScriptEditorDlg&, CScriptGraphFrame&)> body,
             std::vector<std::function<void(wxDialog&)>> nested = {})
    {
        CScriptEditorDlg dialog;
        dialog.SetScript(m_script, m_files, "Object.iff", "");
        Drive(m_ui, [body](wxDialog& shown) {
            auto& editor = static_cast<CScriptEditorDlg&>(shown);
            ClickButton(editor, IDC_SCRIPT_GRAPH);
            Flush();
            CScriptGraphFrame* graph = editor.GraphWindow();
            ASSERT_NE(graph, nullptr);
            ASSERT_TRUE(LaidOut(*graph));
            EXPECT_TRUE(graph->IsShown());
            EXPECT_EQ(graph->GetTitle(), "Script Graph - #4096: init");
            body(editor, *graph);
        });
        for (auto& driver : nested)
            Drive(m_ui, std::move(driver));
        RefuseFurtherDialogs(m_ui);
        Ui().RunModal(dialog);
    }

    CScriptedUserInterface m_ui;
    CUiScope m_scope;
    CNeededFiles m_files;
    CBhavScript m_script;
};
}

TEST_F(ScriptGraphWindow, ClickingABoxSelectsItsLineAndTheSelectedLineIsFramed)
{
    Run([](CScriptEditorDlg& editor, CScriptGraphFrame& graph) {
        CScriptGraphCanvas& canvas = *graph.Canvas();
        // Four lines, TRUE and FALSE; line 4 grey.
        ASSERT_EQ(canvas.Graph().Nodes().size(), 6u);
        EXPECT_FALSE(canvas.Graph().Nodes()[3].reachable);
        // The editor opens on its first line.
        EXPECT_EQ(canvas.HighlightedLine(), 0);

        ClickBox(canvas, 2);
        EXPECT_EQ(editor.Lines()->GetSelection(), 2);
        Flush();
        EXPECT_EQ(canvas.HighlightedLine(), 2);

        SelectLine(*editor.Lines(), 1);
        Flush();
        EXPECT_EQ(canvas.HighlightedLine(), 1);
        // Between the boxes nothing is selected.
        SendMouse(canvas, wxEVT_LEFT_DOWN, wxPoint(1, 1));
        SendMouse(canvas, wxEVT_LEFT_UP, wxPoint(1, 1));
        EXPECT_EQ(editor.Lines()->GetSelection(), 1);
    });
}

TEST_F(ScriptGraphWindow, DoubleClickingABoxEditsItsLine)
{
    Run(
        [this](CScriptEditorDlg& editor, CScriptGraphFrame& graph) {
            ClickBox(*graph.Canvas(), 3, true);
            EXPECT_EQ(editor.Lines()->GetSelection(), 3);
            EXPECT_EQ(m_script.Lines()[3], Line(254, 253));
            Flush();
            ASSERT_TRUE(LaidOut(graph));
            // "return ERROR" has joined the graph.
            EXPECT_EQ(graph.Canvas()->Graph().Nodes().size(), 7u);
        },
        {[](wxDialog& dialog) {
            EXPECT_NE(dynamic_cast<CLineEditDlg*>(&dialog), nullptr);
            Pick(dialog, IDC_LINE_FAILURE_CHOICE, CLineEditDlg::kReturnError);
            ClickButton(dialog, wxID_OK);
        }});
}

TEST_F(ScriptGraphWindow, EveryChangeLaysTheGraphOutAgain)
{
    // Each change, on the lines as the one before left them.
    struct CRow
    {
        const char* change;
        int select;  // the line selected first; -1: none
        int command;
    };
    const CRow rows[] = {
        {"Add", -1, IDC_SCRIPT_ADD},
        {"Copy", 0, IDC_SCRIPT_COPY},
        {"Delete", 5, IDC_SCRIPT_DELETE},
        {"Insert line before", 1, IDC_SCRIPT_INSERT},
        {"Move up", 2, IDC_SCRIPT_MOVE_UP},
        {"Move down", 0, IDC_SCRIPT_MOVE_DOWN},
        {"Delete and renumber", 1, IDC_SCRIPT_DELETE_RENUMBER},
        {"Optimize", -1, IDC_SCRIPT_OPTIMIZE},
        {"Undo", -1, IDC_SCRIPT_UNDO},
    };
    Run([this, &rows](CScriptEditorDlg& editor, CScriptGraphFrame& graph) {
        for (const CRow& row : rows)
        {
            if (row.select >= 0)
                SelectLine(*editor.Lines(), row.select);
            const std::vector<CBhavInstruction> before = m_script.Lines();
            const int layouts = graph.LayoutCount();
            if (row.command == IDC_SCRIPT_UNDO)
                editor.Undo();
            else
                ClickButton(editor, row.command);
            ASSERT_NE(m_script.Lines(), before) << row.change << " changed nothing";
            Flush();
            ASSERT_TRUE(LaidOut(graph)) << row.change;
            EXPECT_EQ(graph.LayoutCount(), layouts + 1) << row.change;
            EXPECT_EQ(Drawn(graph.Canvas()->Graph()), Drawn(CScriptGraph::Build(m_script, editor.Renderer())))
                << row.change;
        }
        // Nothing changed: nothing laid out.
        const int layouts = graph.LayoutCount();
        SelectLine(*editor.Lines(), 1);
        Flush();
        EXPECT_EQ(graph.LayoutCount(), layouts);
    });
}

TEST_F(ScriptGraphWindow, ExportsTheGraphAsSvgPngOrDot)
{
    CTempFolder folder;
    struct CRow
    {
        int command;
        const char* file;
        std::string start;
    };
    const CRow rows[] = {
        {ID_GRAPH_EXPORT_SVG, "init.svg", "<?xml"},
        {ID_GRAPH_EXPORT_PNG, "init.png", "\x89PNG"},
        {ID_GRAPH_EXPORT_DOT, "init.dot", "digraph"},
    };
    Run([this, &folder, &rows](CScriptEditorDlg&, CScriptGraphFrame& graph) {
        for (const CRow& row : rows)
        {
            m_ui.filesToSave.push_back(folder.File(row.file));
            wxCommandEvent command(wxEVT_MENU, row.command);
            graph.GetEventHandler()->ProcessEvent(command);
            const std::vector<std::uint8_t> bytes = ReadBytes(folder.File(row.file));
            EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + std::min(bytes.size(), row.start.size())), row.start)
                << row.file;
        }
        EXPECT_TRUE(m_ui.messages.empty());
    });
}
