// The interaction editor on tables of the test's own: the list by name in a language, the fields
// of the selected interaction with their checks and the refresh that puts stored values back, the
// presets, the inverted flag bits, the motive rows, Add and Delete; then from the main view on the
// sample object, with Cancel keeping the container's bytes and OK storing both tables.

#include "ScriptDialogDriving.h"

#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "editors/InteractionsDlg.h"
#include "records/InteractionTable.h"
#include "records/StringTable.h"
#include "resources/Strings.h"
#include "resources/TableEditorIds.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>


// Readable failures: the records as their fields, not their bytes.
static void PrintTo(const CMotiveEntry& entry, std::ostream* out)
{
    *out << "{" << entry.minimum << ", " << entry.maximum << ", " << entry.varyBy << "}";
}

static void PrintTo(const CInteraction& interaction, std::ostream* out)
{
    *out << "{trees " << interaction.actionTree << "/" << interaction.checkTree << ", flags " << std::hex
         << interaction.flags << std::dec << ", name " << interaction.nameIndex << ", attenuation "
         << interaction.attenuationCode << "/" << interaction.attenuationValue << ", autonomy "
         << interaction.autonomyThreshold << ", extra " << interaction.extraIndex << ", "
         << interaction.motives.size() << " motives}";
}

static void PrintTo(const CStringPair& pair, std::ostream* out)
{
    *out << "{\"" << pair.text << "\", \"" << pair.description << "\"}";
}

namespace
{
constexpr int kUkEnglish = 1;
constexpr int kFrench = 2;
constexpr int kHigh = 4;
constexpr int kCustom = 0;
constexpr int kMedium = 3;
constexpr std::uint32_t kHiddenFlag = 0x8000;

// Motive rows and the slots they stand for.
constexpr long kMoodRow = 0;
constexpr long kEnergyRow = 1;
constexpr long kHungerRow = 3;
constexpr long kFunRow = 8;

wxListBox& Items(wxWindow& dialog)
{
    return *wxDynamicCast(dialog.FindWindow(IDC_INTERACTIONS_ITEMS), wxListBox);
}

wxListCtrl& Motives(wxWindow& dialog)
{
    return *wxDynamicCast(dialog.FindWindow(IDC_INTERACTIONS_MOTIVES), wxListCtrl);
}

wxCheckBox& Box(wxWindow& dialog, int id)
{
    return *wxDynamicCast(dialog.FindWindow(id), wxCheckBox);
}

std::vector<wxString> ListLines(wxWindow& dialog)
{
    std::vector<wxString> lines;
    for (unsigned int i = 0; i < Items(dialog).GetCount(); ++i)
        lines.push_back(Items(dialog).GetString(i));
    return lines;
}

/// The "Advertisment" column of the nine motive rows.
std::vector<wxString> Adverts(wxWindow& dialog)
{
    std::vector<wxString> adverts;
    for (long row = 0; row < Motives(dialog).GetItemCount(); ++row)
        adverts.push_back(Motives(dialog).GetItemText(row, 1));
    return adverts;
}

wxString Field(wxWindow& dialog, int id)
{
    return Edit(dialog, id).GetValue();
}

/// Selects an interaction as a click would.
void SelectEntry(wxWindow& dialog, int entry)
{
    wxListBox& list = Items(dialog);
    list.SetSelection(entry);
    wxCommandEvent event(wxEVT_LISTBOX, list.GetId());
    event.SetEventObject(&list);
    event.SetInt(entry);
    list.GetEventHandler()->ProcessEvent(event);
}

/// Selects a motive row (-1: clears the selection, as a click beside the rows does); the list
/// raises its own events.
void SelectMotive(wxWindow& dialog, long row)
{
    wxListCtrl& list = Motives(dialog);
    if (row >= 0)
    {
        list.SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        return;
    }
    const long selected = list.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (selected >= 0)
        list.SetItemState(selected, 0, wxLIST_STATE_SELECTED);
}

void Click(wxWindow& dialog, int id, bool ticked)
{
    wxCheckBox& box = Box(dialog, id);
    box.SetValue(ticked);
    wxCommandEvent event(wxEVT_CHECKBOX, id);
    event.SetEventObject(&box);
    event.SetInt(ticked ? 1 : 0);
    box.GetEventHandler()->ProcessEvent(event);
}

/// Types text key by key at the end of a field.
void TypeKeys(wxWindow& dialog, int id, const wxString& keys)
{
    wxTextCtrl& field = Edit(dialog, id);
    for (const wxUniChar key : keys)
    {
        field.SetInsertionPointEnd();
        field.WriteText(wxString(key));
    }
}

CMotiveEntry Motive(std::int16_t minimum, std::int16_t maximum, std::uint16_t varyBy)
{
    CMotiveEntry entry;
    entry.minimum = minimum;
    entry.maximum = maximum;
    entry.varyBy = varyBy;
    return entry;
}

CInteraction Interaction(std::uint32_t nameIndex, std::uint32_t flags, std::uint32_t code, float value,
                         std::size_t motives = CInteraction::kStoredMotives)
{
    CInteraction interaction;
    interaction.nameIndex = nameIndex;
    interaction.flags = flags;
    interaction.attenuationCode = code;
    interaction.attenuationValue = value;
    interaction.motives.resize(motives);
    interaction.motiveCount = static_cast<std::uint32_t>(motives);
    return interaction;
}

CStringTable::CRow Row(std::initializer_list<std::pair<int, const char*>> texts)
{
    CStringTable::CRow row;
    for (const auto& [slot, text] : texts)
        row[static_cast<std::size_t>(slot)].text = text;
    return row;
}

class InteractionsEditor : public testing::Test
{
protected:
    InteractionsEditor() : m_scope(m_ui)
    {
        m_names = CStringTable::Languages({
            Row({{0, "Sit"}, {kFrench, "S'asseoir"}}),
            Row({{0, "Admire"}}),
            Row({{0, "Nap"}, {kUkEnglish, "Kip"}, {kFrench, "Sieste"}}),
            Row({{0, "Unused"}}),
        });
        // Listed as "Sit", "Admire", "Nap"; the one whose name row does not exist is not listed.
        CInteraction sit = Interaction(0, kInteractionVisitors | kInteractionConsecutive | kHiddenFlag, kMedium, 0.5f);
        sit.actionTree = 4099;
        sit.checkTree = 4098;
        sit.autonomyThreshold = 40;
        sit.motives[3] = Motive(10, 50, 5);
        sit.motives[7] = Motive(0, 0, 5);
        sit.motives[15] = Motive(-5, 20, 19);
        CInteraction unnamed = Interaction(9, 0, 1, 0.0f);
        unnamed.actionTree = 4200;
        CInteraction admire = Interaction(1, kInteractionNotChildren | kInteractionNotAdults, kCustom, 0.25f, 4);
        admire.autonomyThreshold = 70;
        admire.motives[3] = Motive(1, 2, 0);
        CInteraction nap = Interaction(2, 0, 7, 0.0f);
        m_interactions = CInteractionTable(5, {sit, unnamed, admire, nap});
    }

    int Run(std::function<void(wxDialog&)> body, int end = wxID_CANCEL)
    {
        m_ui.modalDrivers.clear();
        CInteractionsDlg dialog;
        dialog.SetTables(m_interactions, m_names);
        Drive(m_ui, std::move(body), end);
        RefuseFurtherDialogs(m_ui);
        return Ui().RunModal(dialog);
    }

    const CInteraction& Sit() const { return m_interactions.Interactions()[0]; }
    const CInteraction& Admire() const { return m_interactions.Interactions()[2]; }

    CScriptedUserInterface m_ui;
    CUiScope m_scope;
    CInteractionTable m_interactions;
    CStringTable m_names;
};
}

TEST_F(InteractionsEditor, ShowsTheFirstListedInteraction)
{
    const CInteractionTable original = m_interactions;
    const int result = Run([](wxDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Interaction editor...");
        EXPECT_EQ(Choice(dialog, IDC_INTERACTIONS_LANGUAGE).GetSelection(), 0);
        EXPECT_EQ(Entries(dialog, IDC_INTERACTIONS_LANGUAGE)[5], "Spanian");
        EXPECT_EQ(Entries(dialog, IDC_INTERACTIONS_ATTENUATION),
                  (std::vector<wxString>{"custom", "none", "low", "medium", "high"}));
        EXPECT_EQ(Entries(dialog, IDC_INTERACTIONS_VARY_BY).size(), 23u);
        EXPECT_EQ(ListLines(dialog), (std::vector<wxString>{"Sit", "Admire", "Nap"}));
        EXPECT_EQ(Items(dialog).GetSelection(), 0);

        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "Sit");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ACTION_TREE), "4099");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_CHECK_TREE), "4098");
        EXPECT_TRUE(Box(dialog, IDC_INTERACTIONS_VISITORS).GetValue());
        EXPECT_TRUE(Box(dialog, IDC_INTERACTIONS_CHILDREN).GetValue());
        EXPECT_TRUE(Box(dialog, IDC_INTERACTIONS_ADULTS).GetValue());
        EXPECT_TRUE(Box(dialog, IDC_INTERACTIONS_CONSECUTIVE).GetValue());
        EXPECT_FALSE(Box(dialog, IDC_INTERACTIONS_AUTO_FIRST).GetValue());
        EXPECT_EQ(Choice(dialog, IDC_INTERACTIONS_ATTENUATION).GetSelection(), kMedium);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0.02");
        EXPECT_FALSE(Edit(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE).IsEnabled());
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_AUTONOMY), "40");

        EXPECT_EQ(Motives(dialog).GetItemText(kHungerRow, 0), "Hunger");
        EXPECT_EQ(Adverts(dialog),
                  (std::vector<wxString>{"10...50, Generous", "N/A", "N/A", "N/A", "N/A", "N/A", "N/A", "N/A",
                                         "-5...20, Creative Skill"}));
        EXPECT_EQ(Motives(dialog).GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), kMoodRow);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_MINIMUM), "10");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_MAXIMUM), "50");
        EXPECT_EQ(Choice(dialog, IDC_INTERACTIONS_VARY_BY).GetStringSelection(), "Generous");
        ClickButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_TRUE(m_ui.messages.empty());
    // Shown and confirmed, nothing changed: the unlisted interaction is still there too.
    EXPECT_EQ(m_interactions.Interactions(), original.Interactions());
}

TEST_F(InteractionsEditor, LanguageListsItsNamesAndTypingRenamesThatLanguageOnly)
{
    Run([this](wxDialog& dialog) {
        SelectEntry(dialog, 2);
        Pick(dialog, IDC_INTERACTIONS_LANGUAGE, kFrench);
        EXPECT_EQ(ListLines(dialog), (std::vector<wxString>{"S'asseoir", "", "Sieste"}));
        EXPECT_EQ(Items(dialog).GetSelection(), 2);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "Sieste");

        Type(dialog, IDC_INTERACTIONS_NAME, L"Petite sieste \u00E0 l'ombre");
        EXPECT_EQ(m_names.Rows()[2][kFrench].text, "Petite sieste \xE0 l'ombre");
        EXPECT_EQ(m_names.Rows()[2][0].text, "Nap");
        EXPECT_EQ(m_names.Rows()[2][kUkEnglish].text, "Kip");
        EXPECT_EQ(ListLines(dialog)[2], L"Petite sieste \u00E0 l'ombre");
        EXPECT_EQ(Items(dialog).GetSelection(), 2);

        Pick(dialog, IDC_INTERACTIONS_LANGUAGE, kUkEnglish);
        EXPECT_EQ(ListLines(dialog), (std::vector<wxString>{"", "", "Kip"}));
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "Kip");
    });
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(InteractionsEditor, NamesAreShownAndTypedInTheLanguagesCodePage)
{
    constexpr int kThai = 18;
    const std::string thai = "\xE0\xA1\xE9\xD2\xCD\xD5\xE9";  // "chair", in windows-874
    m_names.SetText(0, kThai, thai);
    Run([this, &thai](wxDialog& dialog) {
        Pick(dialog, IDC_INTERACTIONS_LANGUAGE, kThai);
        EXPECT_EQ(ListLines(dialog)[0], L"\u0E40\u0E01\u0E49\u0E32\u0E2D\u0E35\u0E49");
        // A Japanese character has no place in windows-874: said, and the stored name stays.
        Type(dialog, IDC_INTERACTIONS_NAME, L"\u0E40\u0E01\u0E49\u0E32\u0E2D\u0E35\u0E49\u30B5");
        ASSERT_EQ(m_ui.messages.size(), 1u);
        EXPECT_NE(m_ui.messages[0].text.Find(L"\"\u30B5\" (U+30B5)"), wxNOT_FOUND) << m_ui.messages[0].text;
        EXPECT_NE(m_ui.messages[0].text.Find("Thai"), wxNOT_FOUND);
        EXPECT_EQ(m_names.Rows()[0][kThai].text, thai);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), L"\u0E40\u0E01\u0E49\u0E32\u0E2D\u0E35\u0E49");

        Type(dialog, IDC_INTERACTIONS_NAME, L"\u0E19\u0E31\u0E48\u0E07");  // "sit"
        EXPECT_EQ(m_names.Rows()[0][kThai].text, "\xB9\xD1\xE8\xA7");
        EXPECT_EQ(m_names.Rows()[0][0].text, "Sit");
    });
}

TEST_F(InteractionsEditor, PresetsShowTheirValueAndLeaveTheOwnOne)
{
    Run([this](wxDialog& dialog) {
        SelectEntry(dialog, 1);
        EXPECT_EQ(Choice(dialog, IDC_INTERACTIONS_ATTENUATION).GetSelection(), kCustom);
        EXPECT_TRUE(Edit(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE).IsEnabled());
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0.25");

        Pick(dialog, IDC_INTERACTIONS_ATTENUATION, kHigh);
        EXPECT_EQ(Admire().attenuationCode, 4u);
        EXPECT_EQ(Admire().attenuationValue, 0.25f);
        EXPECT_FALSE(Edit(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE).IsEnabled());
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0.1");

        Pick(dialog, IDC_INTERACTIONS_ATTENUATION, 2);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0.002");
        Pick(dialog, IDC_INTERACTIONS_ATTENUATION, 1);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0");

        Pick(dialog, IDC_INTERACTIONS_ATTENUATION, kCustom);
        EXPECT_EQ(Admire().attenuationCode, 0u);
        EXPECT_TRUE(Edit(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE).IsEnabled());
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0.25");

        // A code beyond the presets selects none and keeps the field disabled.
        SelectEntry(dialog, 2);
        EXPECT_EQ(Choice(dialog, IDC_INTERACTIONS_ATTENUATION).GetSelection(), wxNOT_FOUND);
        EXPECT_FALSE(Edit(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE).IsEnabled());
        EXPECT_EQ(m_interactions.Interactions()[3].attenuationCode, 7u);
    });
}

TEST_F(InteractionsEditor, FlagBoxesSetTheirBitsInvertedForChildrenAndAdults)
{
    Run([this](wxDialog& dialog) {
        Click(dialog, IDC_INTERACTIONS_ADULTS, false);
        EXPECT_EQ(Sit().flags, kInteractionVisitors | kInteractionConsecutive | kInteractionNotAdults | kHiddenFlag);
        Click(dialog, IDC_INTERACTIONS_VISITORS, false);
        Click(dialog, IDC_INTERACTIONS_AUTO_FIRST, true);
        Click(dialog, IDC_INTERACTIONS_CONSECUTIVE, false);
        EXPECT_EQ(Sit().flags, kInteractionAutoFirstSelect | kInteractionNotAdults | kHiddenFlag);
        EXPECT_FALSE(Box(dialog, IDC_INTERACTIONS_ADULTS).GetValue());

        SelectEntry(dialog, 1);
        EXPECT_FALSE(Box(dialog, IDC_INTERACTIONS_CHILDREN).GetValue());
        EXPECT_FALSE(Box(dialog, IDC_INTERACTIONS_ADULTS).GetValue());
        Click(dialog, IDC_INTERACTIONS_CHILDREN, true);
        EXPECT_EQ(Admire().flags, kInteractionNotAdults);
        Click(dialog, IDC_INTERACTIONS_CHILDREN, false);
        EXPECT_EQ(Admire().flags, kInteractionNotChildren | kInteractionNotAdults);
    });
}

TEST_F(InteractionsEditor, MotiveRowsEditTheirSlotsOnly)
{
    Run([this](wxDialog& dialog) {
        SelectMotive(dialog, kHungerRow);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_MINIMUM), "0");
        EXPECT_EQ(Choice(dialog, IDC_INTERACTIONS_VARY_BY).GetSelection(), 5);
        Type(dialog, IDC_INTERACTIONS_MINIMUM, "3");
        Type(dialog, IDC_INTERACTIONS_MAXIMUM, "-40");
        EXPECT_EQ(Sit().motives[7], Motive(3, -40, 5));
        EXPECT_EQ(Adverts(dialog)[kHungerRow], "3...-40, Generous");
        Pick(dialog, IDC_INTERACTIONS_VARY_BY, 22);
        EXPECT_EQ(Sit().motives[7], Motive(3, -40, 22));
        EXPECT_EQ(Adverts(dialog)[kHungerRow], "3...-40, Logic Skill");
        Pick(dialog, IDC_INTERACTIONS_VARY_BY, 0);
        EXPECT_EQ(Adverts(dialog)[kHungerRow], "3...-40");
        // The row stays selected through the refreshes.
        EXPECT_EQ(Motives(dialog).GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), kHungerRow);

        // With no row selected the fields show zeros and what is typed there is dropped.
        const CInteraction before = Sit();
        SelectMotive(dialog, -1);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_MINIMUM), "0");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_MAXIMUM), "0");
        Type(dialog, IDC_INTERACTIONS_MINIMUM, "9");
        EXPECT_EQ(Sit(), before);

        // An interaction with four motive entries has none in the Energy slot (5).
        SelectEntry(dialog, 1);
        SelectMotive(dialog, kEnergyRow);
        Type(dialog, IDC_INTERACTIONS_MAXIMUM, "30");
        EXPECT_EQ(Admire().motives.size(), 4u);
        EXPECT_EQ(Adverts(dialog)[kEnergyRow], "N/A");
        EXPECT_EQ(Adverts(dialog)[kFunRow], "N/A");
        SelectMotive(dialog, kMoodRow);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_MAXIMUM), "2");
        Type(dialog, IDC_INTERACTIONS_MAXIMUM, "30");
        EXPECT_EQ(Admire().motives[3], Motive(1, 30, 0));
        EXPECT_EQ(Adverts(dialog)[kMoodRow], "1...30");
    });
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(InteractionsEditor, FieldsWaitWhileTypedAndOkShowsTheirCheckOnce)
{
    Run([this](wxDialog& dialog) {
        const CInteractionTable original = m_interactions;
        struct CCase
        {
            int id;
            const char* text;
            const char* message;
        };
        const CCase cases[] = {
            {IDC_INTERACTIONS_AUTONOMY, "150", "Please enter an integer between 0 and 100."},
            {IDC_INTERACTIONS_AUTONOMY, "-1", "Please enter a positive integer."},
            {IDC_INTERACTIONS_ACTION_TREE, "abc", "Please enter a positive integer."},
            {IDC_INTERACTIONS_ACTION_TREE, "70000", "Please enter an integer between 0 and 65535."},
            {IDC_INTERACTIONS_CHECK_TREE, "", "Please enter a positive integer."},
            {IDC_INTERACTIONS_MINIMUM, "x", "Please enter an integer."},
            {IDC_INTERACTIONS_MAXIMUM, "40000", "Please enter an integer."},
            {IDC_INTERACTIONS_ATTENUATION_VALUE, "1e", "Please enter a number."},
        };
        for (const CCase& c : cases)
        {
            SCOPED_TRACE(c.text);
            m_ui.messages.clear();
            const wxString shown = Field(dialog, c.id);
            // Typed, the text stays as it is and nothing is said or stored.
            Type(dialog, c.id, c.text);
            EXPECT_EQ(Field(dialog, c.id), c.text);
            EXPECT_TRUE(m_ui.messages.empty());
            EXPECT_EQ(m_interactions.Interactions(), original.Interactions());
            // OK says what is wrong, once, and the dialog stays.
            ClickButton(dialog, wxID_OK);
            EXPECT_TRUE(dialog.IsModal());
            ASSERT_EQ(m_ui.messages.size(), 1u);
            EXPECT_EQ(m_ui.messages[0].text, c.message);
            EXPECT_EQ(m_ui.messages[0].owner, &dialog);
            EXPECT_EQ(m_ui.messages[0].caption, kProgramName);
            Type(dialog, c.id, shown);
        }

        // Valid values are stored as they are typed.
        SelectEntry(dialog, 1);
        m_ui.messages.clear();
        Type(dialog, IDC_INTERACTIONS_AUTONOMY, "100");
        Type(dialog, IDC_INTERACTIONS_CHECK_TREE, "65535");
        EXPECT_EQ(Admire().autonomyThreshold, 100u);
        EXPECT_EQ(Admire().checkTree, 65535);
        EXPECT_TRUE(m_ui.messages.empty());
    });
}

TEST_F(InteractionsEditor, OutOfRangeValueFromTheFileIsReportedAndCanBeCorrected)
{
    CInteraction sit = Sit();
    sit.autonomyThreshold = 150;
    m_interactions.SetInteraction(0, sit);
    const int result = Run([this](wxDialog& dialog) {
        const std::vector<wxString> range{"Please enter an integer between 0 and 100."};
        EXPECT_EQ(m_ui.Texts(), range);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_AUTONOMY), "150");

        // The list still moves to another interaction.
        m_ui.messages.clear();
        SelectEntry(dialog, 1);
        EXPECT_EQ(m_ui.Texts(), range);
        EXPECT_EQ(Items(dialog).GetSelection(), 1);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "Admire");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_AUTONOMY), "70");

        SelectEntry(dialog, 0);
        m_ui.messages.clear();
        ClickButton(dialog, wxID_OK);  // refused while the field holds 150
        EXPECT_EQ(m_ui.Texts(), range);
        EXPECT_TRUE(dialog.IsModal());

        m_ui.messages.clear();
        Type(dialog, IDC_INTERACTIONS_AUTONOMY, "90");
        EXPECT_TRUE(m_ui.messages.empty());
        ClickButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(Sit().autonomyThreshold, 90u);
}

TEST_F(InteractionsEditor, NumberStaysAsTypedWhileItMeansTheStoredValue)
{
    Run([this](wxDialog& dialog) {
        SelectEntry(dialog, 1);
        // Real keys: "0." stands for the 0 stored and stays, with the caret after the point.
        ASSERT_TRUE(PressKeys(Edit(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0.05"));
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ATTENUATION_VALUE), "0.05");
        EXPECT_EQ(Admire().attenuationValue, 0.05f);

        Edit(dialog, IDC_INTERACTIONS_ACTION_TREE).ChangeValue("");
        TypeKeys(dialog, IDC_INTERACTIONS_ACTION_TREE, "0042");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ACTION_TREE), "0042");
        EXPECT_EQ(Admire().actionTree, 42);

        // Another selection shows the stored values in their own form.
        SelectEntry(dialog, 0);
        SelectEntry(dialog, 1);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ACTION_TREE), "42");
    });
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(InteractionsEditor, AddAppendsAnInteractionWithItsNameRow)
{
    Run([this](wxDialog& dialog) {
        SelectEntry(dialog, 1);
        ClickButton(dialog, IDC_INTERACTIONS_ADD);
        ASSERT_EQ(m_interactions.Interactions().size(), 5u);
        CInteraction expected;
        expected.nameIndex = 4;
        expected.attenuationCode = 3;
        expected.autonomyThreshold = 50;
        expected.extraIndex = -1;
        expected.motiveCount = 16;
        expected.motives.assign(16, CMotiveEntry{});
        EXPECT_EQ(m_interactions.Interactions()[4], expected);
        ASSERT_EQ(m_names.Rows().size(), 5u);
        for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
        {
            EXPECT_EQ(m_names.Rows()[4][static_cast<std::size_t>(slot)],
                      (CStringPair{slot == kUkEnglish ? "" : "New Interaction", ""}))
                << slot;
        }
        EXPECT_EQ(ListLines(dialog), (std::vector<wxString>{"Sit", "Admire", "Nap", "New Interaction"}));
        EXPECT_EQ(Items(dialog).GetSelection(), 1);

        SelectEntry(dialog, 3);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "New Interaction");
        EXPECT_EQ(Adverts(dialog), std::vector<wxString>(9, "N/A"));
        EXPECT_EQ(Choice(dialog, IDC_INTERACTIONS_ATTENUATION).GetSelection(), kMedium);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_AUTONOMY), "50");

        Pick(dialog, IDC_INTERACTIONS_LANGUAGE, kUkEnglish);
        EXPECT_EQ(ListLines(dialog)[3], "");
        EXPECT_EQ(Items(dialog).GetSelection(), 3);
    });
}

TEST_F(InteractionsEditor, DeleteAsksAndLeavesTheNameRow)
{
    Run([this](wxDialog& dialog) {
        SelectEntry(dialog, 1);
        m_ui.answers = {wxID_NO};
        ClickButton(dialog, IDC_INTERACTIONS_DELETE);
        ASSERT_EQ(m_ui.messages.size(), 1u);
        EXPECT_EQ(m_ui.messages[0].text, "Are you sure you want to delete the selected item?");
        EXPECT_EQ(m_ui.messages[0].caption, "Warning:");
        EXPECT_EQ(m_ui.messages[0].style & (wxYES_NO | wxOK), wxYES_NO);
        EXPECT_EQ(m_interactions.Interactions().size(), 4u);
        EXPECT_EQ(ListLines(dialog).size(), 3u);

        m_ui.answers = {wxID_YES};
        ClickButton(dialog, IDC_INTERACTIONS_DELETE);
        ASSERT_EQ(m_interactions.Interactions().size(), 3u);
        EXPECT_EQ(m_interactions.Interactions()[1].nameIndex, 9u);  // the unlisted one stays
        EXPECT_EQ(m_interactions.Interactions()[2].nameIndex, 2u);
        EXPECT_EQ(m_names.Rows().size(), 4u);
        EXPECT_EQ(m_names.Rows()[1][0].text, "Admire");
        EXPECT_EQ(ListLines(dialog), (std::vector<wxString>{"Sit", "Nap"}));
        EXPECT_EQ(Items(dialog).GetSelection(), 1);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "Nap");

        // Deleting the last listed one leaves none selected and the fields at zero.
        m_ui.answers = {wxID_YES};
        ClickButton(dialog, IDC_INTERACTIONS_DELETE);
        EXPECT_EQ(ListLines(dialog), (std::vector<wxString>{"Sit"}));
        EXPECT_EQ(Items(dialog).GetSelection(), wxNOT_FOUND);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ACTION_TREE), "0");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_AUTONOMY), "0");
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "");
        EXPECT_EQ(Adverts(dialog), std::vector<wxString>(9, "N/A"));

        // The interaction of zeros has no name to change; the refresh that follows the typing
        // selects the first entry again.
        const CStringTable names = m_names;
        Type(dialog, IDC_INTERACTIONS_NAME, "Renamed");
        EXPECT_EQ(m_names.Rows(), names.Rows());
        EXPECT_EQ(Items(dialog).GetSelection(), 0);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_NAME), "Sit");

        // With no interaction listed, changes store nothing and Delete removes nothing: the
        // unlisted interaction stays.
        m_ui.answers = {wxID_YES, wxID_YES};
        ClickButton(dialog, IDC_INTERACTIONS_DELETE);
        EXPECT_TRUE(ListLines(dialog).empty());
        const CInteractionTable interactions = m_interactions;
        Type(dialog, IDC_INTERACTIONS_ACTION_TREE, "5");
        Click(dialog, IDC_INTERACTIONS_VISITORS, true);
        Pick(dialog, IDC_INTERACTIONS_ATTENUATION, kHigh);
        ClickButton(dialog, IDC_INTERACTIONS_DELETE);
        ASSERT_EQ(m_interactions.Interactions().size(), 1u);
        EXPECT_EQ(m_interactions.Interactions(), interactions.Interactions());
        EXPECT_EQ(m_interactions.Interactions()[0].nameIndex, 9u);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_ACTION_TREE), "0");
        EXPECT_FALSE(Box(dialog, IDC_INTERACTIONS_VISITORS).GetValue());
    });
}

TEST_F(InteractionsEditor, WithoutTablesShowsTheProgrammersErrorAndCancels)
{
    CInteractionsDlg dialog;
    RefuseFurtherDialogs(m_ui);
    EXPECT_EQ(Ui().RunModal(dialog), wxID_CANCEL);
    ASSERT_EQ(m_ui.Texts(), (std::vector<wxString>{"Programmer's error while calling CInteractionsDlg::OnInitDialog()!"}));
    EXPECT_EQ(m_ui.messages[0].caption, kProgramName);
    EXPECT_EQ(m_ui.messages[0].style & (wxYES_NO | wxOK), wxOK);
}

namespace
{
class InteractionsOnSample : public CSampleDocumentTest
{
protected:
    /// Double-clicks the entry of interaction table `id` in the main view's list.
    void OpenInteractions(std::uint16_t id) { DoubleClickEntry(*View().InteractionList(), id, "interaction table"); }
};

// Renames "Sit" in French, raises its autonomy threshold, ticks "Auto first select" on "Admire"
// and adds an interaction.
void EditSample(wxDialog& dialog)
{
    Pick(dialog, IDC_INTERACTIONS_LANGUAGE, kFrench);
    Type(dialog, IDC_INTERACTIONS_NAME, "S'asseoir ici");
    Type(dialog, IDC_INTERACTIONS_AUTONOMY, "60");
    SelectEntry(dialog, 1);
    Click(dialog, IDC_INTERACTIONS_AUTO_FIRST, true);
    ClickButton(dialog, IDC_INTERACTIONS_ADD);
}
}

TEST_F(InteractionsOnSample, CancelKeepsTheContainerAndOkStoresBothTables)
{
    CUiScope scope(m_ui);
    CInteractionTable interactions;
    CStringTable names;
    ASSERT_TRUE(interactions.Load(Document().Container(), 128));
    ASSERT_TRUE(names.Load(Document().Container(), kTypeTtas, 128));
    const std::vector<std::uint8_t> before = Image();

    Drive(m_ui, EditSample, wxID_CANCEL);
    RefuseFurtherDialogs(m_ui);
    OpenInteractions(128);
    ASSERT_EQ(m_ui.modalRuns, (std::vector<int>{IDD_INTERACTIONS}));
    EXPECT_EQ(Image(), before);
    EXPECT_FALSE(Document().IsModified());

    m_ui.modalDrivers.clear();
    Drive(m_ui, [](wxDialog& dialog) {
        EditSample(dialog);
        ClickButton(dialog, wxID_OK);
    });
    RefuseFurtherDialogs(m_ui);
    OpenInteractions(128);
    EXPECT_TRUE(Document().IsModified());

    // What the dialog showed is what the tables hold, in memory and in the saved file.
    CInteraction first = interactions.Interactions()[0];
    first.autonomyThreshold = 60;
    interactions.SetInteraction(0, first);
    CInteraction second = interactions.Interactions()[1];
    second.flags |= kInteractionAutoFirstSelect;
    interactions.SetInteraction(1, second);
    CInteraction added;
    added.nameIndex = 2;
    added.attenuationCode = 3;
    added.autonomyThreshold = 50;
    added.extraIndex = -1;
    added.motives.assign(16, CMotiveEntry{});
    interactions.AddInteraction(added);
    names.SetText(0, kFrench, "S'asseoir ici");
    CStringTable::CRow row;
    for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
        row[static_cast<std::size_t>(slot)].text = slot == kUkEnglish ? "" : "New Interaction";
    names.AddRow(row);

    ASSERT_TRUE(Document().OnSaveDocument(m_path));
    for (const CIffFile& container : {Document().Container(), ReadIff(m_path)})
    {
        CInteractionTable storedInteractions;
        CStringTable storedNames;
        ASSERT_TRUE(storedInteractions.Load(container, 128));
        ASSERT_TRUE(storedNames.Load(container, kTypeTtas, 128));
        EXPECT_EQ(storedInteractions.Interactions(), interactions.Interactions());
        EXPECT_EQ(storedInteractions.Version(), CInteractionTable::kFieldEncodedVersion);
        EXPECT_EQ(storedInteractions.Name(), "interactions");
        // UKEnglish has no text at all and is left out of the chunk, so it reads back empty too.
        EXPECT_EQ(storedNames.Rows(), names.Rows());
        EXPECT_EQ(storedNames.Name(), "interaction names");
    }
}

TEST_F(InteractionsOnSample, InteractionTableWithoutItsNameTableDoesNotOpen)
{
    const CInteractionTable lonely(5, {Interaction(0, 0, 3, 0.0f)});
    const CRecordResult<std::vector<std::uint8_t>> encoded = lonely.Encode();
    ASSERT_TRUE(encoded);
    const std::vector<std::uint8_t>& data = *encoded;
    const std::string path = m_folder.File("Lonely.iff");
    WriteIff(path, {{"TTAB", 200, "lonely", data}, {"TTAs", 201, "other names", {0xFD, 0xFF, 0, 0}}});
    ResetDocument();
    OpenDocument(path);

    CUiScope scope(m_ui);
    RefuseFurtherDialogs(m_ui);
    const std::vector<std::uint8_t> before = Image();
    OpenInteractions(200);
    EXPECT_TRUE(m_ui.modalRuns.empty());
    EXPECT_TRUE(m_ui.messages.empty());
    EXPECT_EQ(Image(), before);
}

TEST_F(InteractionsEditor, FlagsTwoOfVersionTenIsShownAndTypedInHex)
{
    std::vector<CInteraction> list = m_interactions.Interactions();
    list[0].flags2 = 0x1E;
    m_interactions = CInteractionTable(CInteractionTable::kSecondFlagsVersion, list);
    const int result = Run([this](wxDialog& dialog) {
        wxWindow* field = dialog.FindWindow(IDC_INTERACTIONS_FLAGS2);
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(field->IsShown());
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_FLAGS2), "0x1E");

        // Typed with real keys; the text stays as typed while it means the value stored.
        ASSERT_TRUE(PressKeys(*field, "0x3f"));
        EXPECT_EQ(Sit().flags2, 0x3Fu);
        EXPECT_EQ(Field(dialog, IDC_INTERACTIONS_FLAGS2), "0x3f");
        EXPECT_EQ(m_interactions.Interactions()[2].flags2, 0u);

        // What is no hexadecimal number is refused on OK, and the dialog stays.
        Type(dialog, IDC_INTERACTIONS_FLAGS2, "1G");
        ClickButton(dialog, wxID_OK);
        EXPECT_TRUE(dialog.IsModal());
        EXPECT_EQ(m_ui.Texts(), (std::vector<wxString>{"Please enter a hexadecimal number of up to 8 digits."}));
        EXPECT_EQ(Sit().flags2, 0x3Fu);
        Type(dialog, IDC_INTERACTIONS_FLAGS2, "100000000");
        EXPECT_EQ(Sit().flags2, 0x3Fu);
        Type(dialog, IDC_INTERACTIONS_FLAGS2, "FFFFFFFF");
        EXPECT_EQ(Sit().flags2, 0xFFFFFFFFu);

        // A new interaction of this version: sixteen motive entries and flags 2 of 0.
        ClickButton(dialog, IDC_INTERACTIONS_ADD);
        const CInteraction& added = m_interactions.Interactions().back();
        EXPECT_EQ(added.flags2, 0u);
        EXPECT_EQ(added.motives.size(), CInteraction::kStoredMotives);
        ClickButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);
    const CRecordResult<std::vector<std::uint8_t>> data = m_interactions.Encode();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 5u + 132 * m_interactions.Interactions().size());
}

TEST_F(InteractionsEditor, FlagsTwoIsNotShownForOtherVersions)
{
    Run([](wxDialog& dialog) {
        wxWindow* field = dialog.FindWindow(IDC_INTERACTIONS_FLAGS2);
        ASSERT_NE(field, nullptr);
        EXPECT_FALSE(field->IsShown());
    });
}
