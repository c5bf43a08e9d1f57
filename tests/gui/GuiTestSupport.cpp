#include "GuiTestSupport.h"

#include "MainFrame.h"
#include "TreewrightApp.h"
#include "TreewrightDoc.h"
#include "TreewrightDocManager.h"
#include "TreewrightView.h"

#include "containers/ByteStream.h"
#include "containers/TypeCodes.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/time.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <chrono>
#include <fstream>
#include <random>

int CScriptedUserInterface::MessageBox(wxWindow* owner, const wxString& text, const wxString& caption, long style)
{
    messages.push_back({owner, text, caption, style});
    if (onMessage)
        onMessage(messages.back());
    if ((style & (wxYES_NO | wxCANCEL)) == 0)
        return wxID_OK;
    if (answers.empty())
    {
        ADD_FAILURE() << "Unanswered question: " << text.utf8_string();
        return wxID_CANCEL;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

int CScriptedUserInterface::RunModal(wxDialog& dialog)
{
    modalRuns.push_back(dialog.GetId());
    if (modalDrivers.empty())
    {
        // Only the loader ends by itself; any other dialog would wait for a user who is not there.
        if (dialog.GetId() == IDD_LOADING)
            return dialog.ShowModal();
        ADD_FAILURE() << "No driver for the dialog \"" << dialog.GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
    std::function<void(wxDialog&)> driver = std::move(modalDrivers.front());
    modalDrivers.pop_front();
    wxDialog* shown = &dialog;
    dialog.CallAfter([shown, driver] { driver(*shown); });
    return dialog.ShowModal();
}

namespace
{
wxString Next(std::deque<wxString>& queue, const char* what)
{
    if (queue.empty())
    {
        ADD_FAILURE() << "No " << what << " was scripted";
        return wxString();
    }
    wxString next = queue.front();
    queue.pop_front();
    return next;
}
}

wxString CScriptedUserInterface::ChooseFileToOpen(wxWindow*, const wxString&, const wxString&, const wxString&)
{
    return Next(filesToOpen, "file to open");
}

wxString CScriptedUserInterface::ChooseFileToSave(wxWindow*, const wxString&, const wxString&, const wxString&)
{
    return Next(filesToSave, "file to save");
}

wxString CScriptedUserInterface::ChooseFolder(wxWindow*, const wxString&, const wxString&)
{
    return Next(folders, "folder");
}

bool CScriptedUserInterface::CopyText(const wxString& text)
{
    clipboard = text;
    return true;
}

void ForgetSemiGlobalNotice(CScriptedUserInterface& user)
{
    std::erase_if(user.messages,
                  [](const CShownMessage& message) { return message.text.StartsWith("The semi-global file "); });
}

std::vector<wxString> CScriptedUserInterface::Texts() const
{
    std::vector<wxString> texts;
    for (const CShownMessage& message : messages)
        texts.push_back(message.text);
    return texts;
}

CTreewrightDocManager& DocManager()
{
    return *wxGetApp().DocManager();
}

CMainFrame& MainFrame()
{
    return *wxGetApp().MainFrame();
}

CTreewrightDoc& Document()
{
    return *DocManager().Document();
}

CTreewrightView& View()
{
    return *Document().View();
}

void ResetDocument()
{
    Document().Modify(false);
    Document().OnNewDocument();
    Flush();
}

std::string SampleFolder()
{
    return std::string(TREEWRIGHT_SAMPLE_DIR) + "/";
}

std::string SampleObjectPath()
{
    return SampleFolder() + "Sample Object.iff";
}

void ClickButton(wxWindow& parent, int id)
{
    wxWindow* button = parent.FindWindow(id);
    ASSERT_NE(button, nullptr) << "no button " << id;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

bool PressKeys(wxWindow& field, const std::string& text)
{
    auto* edit = wxDynamicCast(&field, wxTextCtrl);
    if (edit == nullptr)
        return false;
    wxWindow* top = wxGetTopLevelParent(&field);
    top->Raise();
    field.SetFocus();
    edit->SelectAll();
    RunPendingEvents();
    wxUIActionSimulator keys;
    if (!keys.Text(text.c_str()))
        return false;
    // The keys travel through the X server; the field has them once its text ends in them.
    const wxLongLong deadline = wxGetLocalTimeMillis() + 5000;
    while (wxGetLocalTimeMillis() < deadline)
    {
        RunPendingEvents();
        if (edit->GetValue().utf8_string() == text)
            return true;
        wxMilliSleep(10);
    }
    ADD_FAILURE() << "typed \"" << text << "\", the field holds \"" << edit->GetValue().utf8_string() << '"';
    return false;
}

std::vector<wxString> ReportRows(const wxListCtrl& list)
{
    std::vector<wxString> rows;
    for (long row = 0; row < list.GetItemCount(); ++row)
    {
        wxString text;
        for (int column = 0; column < list.GetColumnCount(); ++column)
            text += (column > 0 ? " | " : "") + list.GetItemText(row, column);
        rows.push_back(text);
    }
    return rows;
}

void SendCommand(int id)
{
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetEventObject(&MainFrame());
    MainFrame().GetEventHandler()->ProcessEvent(command);
}

void Flush()
{
    RunPendingEvents();
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        wxMilliSleep(5);
        Flush();
    }
    return true;
}

CTempFolder::CTempFolder()
{
    std::random_device device;
    m_path = std::filesystem::temp_directory_path() / ("treewright-gui-" + std::to_string(device()));
    std::filesystem::create_directories(m_path);
}

CTempFolder::~CTempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(m_path, ignored);
}

void WriteIff(const std::string& path, const std::vector<CTestChunk>& chunks)
{
    CIffFile container;
    for (const CTestChunk& chunk : chunks)
    {
        CIffChunk entry;
        ASSERT_TRUE(ParseTypeCode(chunk.type, entry.type));
        entry.id = chunk.id;
        entry.flags = 0x0010;
        entry.name = chunk.name;
        ASSERT_TRUE(container.PutChunk(entry, chunk.data));
    }
    CMemoryStream stream;
    ASSERT_TRUE(container.Write(&stream));
    WriteBytes(path, stream.Bytes());
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

CIffFile ReadIff(const std::string& path)
{
    CMemoryStream stream(ReadBytes(path));
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    EXPECT_TRUE(container.Read(&stream, code)) << path;
    EXPECT_EQ(code, EIffRead::Ok) << path;
    return container;
}

std::vector<std::uint8_t> GlobData(const std::string& name)
{
    std::vector<std::uint8_t> data;
    data.reserve(name.size() + 1);
    data.push_back(static_cast<std::uint8_t>(name.size()));
    for (const char c : name)
        data.push_back(static_cast<std::uint8_t>(c));
    return data;
}

void CSampleDocumentTest::SetUp()
{
    ResetDocument();
    m_path = m_folder.File("Sample Object.iff");
    std::filesystem::copy_file(SampleObjectPath(), m_path);
    OpenDocument(m_path);
}

void CSampleDocumentTest::TearDown()
{
    ResetDocument();
}

void CSampleDocumentTest::OpenDocument(const std::string& path)
{
    CUiScope scope(m_ui);
    ASSERT_TRUE(Document().OnOpenDocument(path));
    Flush();
    m_ui.modalRuns.clear();
    m_ui.modalDrivers.clear();
}

void CSampleDocumentTest::DoubleClickEntry(wxListBox& list, std::uint16_t id, const char* what)
{
    for (unsigned item = 0; item < list.GetCount(); ++item)
    {
        if (ChunkIdOf(list, item) != id)
            continue;
        list.SetSelection(static_cast<int>(item));
        wxCommandEvent event(wxEVT_LISTBOX_DCLICK, list.GetId());
        event.SetEventObject(&list);
        event.SetInt(static_cast<int>(item));
        list.GetEventHandler()->ProcessEvent(event);
        return;
    }
    ADD_FAILURE() << "no " << what << " " << id;
}

std::vector<std::uint8_t> CSampleDocumentTest::Image() const
{
    const CIffFile& container = Document().Container();
    return std::vector<std::uint8_t>(container.Image(), container.Image() + container.ImageLength());
}
