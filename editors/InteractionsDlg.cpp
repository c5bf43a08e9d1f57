#include "InteractionsDlg.h"

#include "framework/DataExchange.h"
#include "framework/LanguageText.h"
#include "framework/UserInterface.h"
#include "records/InteractionTable.h"
#include "records/StringTable.h"
#include "resources/Strings.h"
#include "resources/TableEditorIds.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace
{
// The editor offers every language slot but the last, which has no name.
constexpr int kLanguageCount = CStringTable::kSlotCount - 1;

struct CMotiveRow
{
    const char* name;
    int slot;
};
// The nine motives shown, in their rows; the other slots are kept as they are.
constexpr std::array<CMotiveRow, 9> kMotiveRows{{
    {"Mood", 3},
    {"Energy", 5},
    {"Comfort", 6},
    {"Hunger", 7},
    {"Hygiene", 8},
    {"Bladder", 9},
    {"Room", 13},
    {"Social", 14},
    {"Fun", 15},
}};

// By vary-by value.
constexpr std::array<const char*, 23> kVaryByNames{
    "None",          "Nice",          "Grouchy",       "Active",          "Lazy",
    "Generous",      "Selfish",       "Playful",       "Serious",         "Outgoing",
    "Shy",           "Neat",          "Sloppy",        "Cleaning Skill",  "Cooking Skill",
    "Social Skill",  "Repair Skill",  "Gardening Skill", "Music Skill",   "Creative Skill",
    "Literacy Skill", "Physical Skill", "Logic Skill",
};

// By attenuation code.
constexpr std::array<const char*, 5> kAttenuationNames{"custom", "none", "low", "medium", "high"};
// What the presets stand for; index 0 (custom) uses the interaction's own value.
constexpr std::array<float, 5> kAttenuationPresets{0.0f, 0.0f, 0.002f, 0.02f, 0.1f};

constexpr int kMotiveAdvertColumn = 1;

void SetBit(std::uint32_t& flags, std::uint32_t bit, bool set)
{
    flags = set ? (flags | bit) : (flags & ~bit);
}

wxString AdvertText(const CMotiveEntry& entry)
{
    if (entry.minimum == 0 && entry.maximum == 0)
        return "N/A";
    wxString text = wxString::Format("%d...%d", static_cast<int>(entry.minimum), static_cast<int>(entry.maximum));
    if (entry.varyBy >= 1 && entry.varyBy < kVaryByNames.size())
        text += wxString(", ") + kVaryByNames[entry.varyBy];
    return text;
}

// True when two texts of a number field stand for the same value, so that the one the user is
// typing may stay.
bool SameNumber(int id, const wxString& typed, const wxString& shown)
{
    if (id == IDC_INTERACTIONS_FLAGS2)
    {
        const auto a = ParseHex32Field(typed);
        const auto b = ParseHex32Field(shown);
        return a && b && *a == *b;
    }
    if (id == IDC_INTERACTIONS_ATTENUATION_VALUE)
    {
        const auto a = ParseNumberField(typed);
        const auto b = ParseNumberField(shown);
        return a && b && static_cast<float>(*a) == static_cast<float>(*b);
    }
    const auto a = ParseSignedField(typed, LLONG_MIN, LLONG_MAX);
    const auto b = ParseSignedField(shown, LLONG_MIN, LLONG_MAX);
    return a && b && *a == *b;
}

wxChoice* CreateChoice(wxWindow* parent, int id, const char* const* names, std::size_t count)
{
    auto* choice = new wxChoice(parent, id);
    for (std::size_t i = 0; i < count; ++i)
        choice->Append(names[i]);
    return choice;
}

// An edit of `width` dialog units, as tall as the font needs.
wxTextCtrl* CreateField(wxWindow* parent, wxWindow& dialog, int id, int width)
{
    auto* field = new wxTextCtrl(parent, id);
    field->SetMinSize(wxSize(dialog.ConvertDialogToPixels(wxSize(width, 0)).x, -1));
    return field;
}
}

CInteractionsDlg::CInteractionsDlg(wxWindow* parent)
    : CExchangeDialog(parent, IDD_INTERACTIONS, "Interaction editor...")
{
    const int gap = FromDIP(7);
    const int small = FromDIP(4);
    const wxSize buttonSize = ConvertDialogToPixels(wxSize(50, 14));

    // "Interaction items"
    auto* itemsBox = new wxStaticBoxSizer(wxVERTICAL, this, "Interaction items");
    wxWindow* items = itemsBox->GetStaticBox();
    std::array<const char*, kLanguageCount> languageNames{};
    for (int slot = 0; slot < kLanguageCount; ++slot)
        languageNames[static_cast<std::size_t>(slot)] = CStringTable::SlotName(slot);
    m_languages = CreateChoice(items, IDC_INTERACTIONS_LANGUAGE, languageNames.data(), languageNames.size());
    m_items = new wxListBox(items, IDC_INTERACTIONS_ITEMS, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                            wxLB_SINGLE | wxLB_NEEDED_SB);
    m_items->SetMinSize(ConvertDialogToPixels(wxSize(96, 112)));
    auto* add = new wxButton(items, IDC_INTERACTIONS_ADD, "&Add");
    auto* remove = new wxButton(items, IDC_INTERACTIONS_DELETE, "&Delete");
    add->SetMinSize(buttonSize);
    remove->SetMinSize(buttonSize);
    itemsBox->Add(m_languages, 0, wxEXPAND | wxALL, small);
    itemsBox->Add(m_items, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, small);
    itemsBox->Add(add, 0, wxALIGN_CENTER_HORIZONTAL | wxTOP, small);
    itemsBox->Add(remove, 0, wxALIGN_CENTER_HORIZONTAL | wxTOP | wxBOTTOM, small);

    // "Properties"
    auto* propertiesBox = new wxStaticBoxSizer(wxVERTICAL, this, "Properties");
    wxWindow* properties = propertiesBox->GetStaticBox();
    auto* name = CreateField(properties, *this, IDC_INTERACTIONS_NAME, 91);
    auto* trees = new wxFlexGridSizer(3, small, small);
    trees->AddGrowableCol(0);
    trees->Add(new wxStaticText(properties, wxID_ANY, "Action tree:"), 0, wxALIGN_CENTER_VERTICAL);
    trees->Add(new wxStaticText(properties, wxID_ANY, "#"), 0, wxALIGN_CENTER_VERTICAL);
    trees->Add(CreateField(properties, *this, IDC_INTERACTIONS_ACTION_TREE, 40));
    trees->Add(new wxStaticText(properties, wxID_ANY, "Check tree:"), 0, wxALIGN_CENTER_VERTICAL);
    trees->Add(new wxStaticText(properties, wxID_ANY, "#"), 0, wxALIGN_CENTER_VERTICAL);
    trees->Add(CreateField(properties, *this, IDC_INTERACTIONS_CHECK_TREE, 40));
    propertiesBox->Add(name, 0, wxEXPAND | wxALL, small);
    propertiesBox->Add(trees, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, small);
    const std::array<std::pair<int, const char*>, 5> flags{{
        {IDC_INTERACTIONS_VISITORS, "Available to visitors"},
        {IDC_INTERACTIONS_CHILDREN, "Available to children"},
        {IDC_INTERACTIONS_ADULTS, "Available to adults"},
        {IDC_INTERACTIONS_CONSECUTIVE, "Allow consecutive"},
        {IDC_INTERACTIONS_AUTO_FIRST, "Auto first select"},
    }};
    for (const auto& [id, label] : flags)
        propertiesBox->Add(new wxCheckBox(properties, id, label), 0, wxLEFT | wxRIGHT | wxBOTTOM, small);
    m_flags2Row = new wxBoxSizer(wxHORIZONTAL);
    m_flags2Row->Add(new wxStaticText(properties, wxID_ANY, "Flags 2:"), 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, small);
    m_flags2Row->Add(CreateField(properties, *this, IDC_INTERACTIONS_FLAGS2, 40), 0, wxALIGN_CENTER_VERTICAL);
    propertiesBox->Add(m_flags2Row, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, small);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
    ok->SetDefault();
    ok->SetMinSize(buttonSize);
    cancel->SetMinSize(buttonSize);
    auto* middle = new wxBoxSizer(wxVERTICAL);
    middle->Add(propertiesBox, 0, wxEXPAND);
    middle->AddStretchSpacer();
    middle->Add(ok, 0, wxALIGN_CENTER_HORIZONTAL | wxBOTTOM, small);
    middle->Add(cancel, 0, wxALIGN_CENTER_HORIZONTAL);
    middle->AddStretchSpacer();

    // "Advertisment"
    auto* advertBox = new wxStaticBoxSizer(wxVERTICAL, this, "Advertisment");
    wxWindow* advert = advertBox->GetStaticBox();
    auto* settings = new wxFlexGridSizer(3, small, small);
    settings->Add(new wxStaticText(advert, wxID_ANY, "Attenuation value:"), 0, wxALIGN_CENTER_VERTICAL);
    auto* presets = CreateChoice(advert, IDC_INTERACTIONS_ATTENUATION, kAttenuationNames.data(), kAttenuationNames.size());
    presets->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(48, 0)).x, -1));
    settings->Add(presets, 0, wxALIGN_CENTER_VERTICAL);
    m_attenuationField = CreateField(advert, *this, IDC_INTERACTIONS_ATTENUATION_VALUE, 40);
    settings->Add(m_attenuationField, 0, wxALIGN_CENTER_VERTICAL);
    settings->Add(new wxStaticText(advert, wxID_ANY, "Autonomy treshold:"), 0, wxALIGN_CENTER_VERTICAL);
    settings->Add(CreateField(advert, *this, IDC_INTERACTIONS_AUTONOMY, 40), 0, wxALIGN_CENTER_VERTICAL);
    settings->AddSpacer(0);

    m_motives = new wxListCtrl(advert, IDC_INTERACTIONS_MOTIVES, wxDefaultPosition, wxDefaultSize,
                               wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_THEME);
    // The columns are 50 and 160 pixels in the dialog as designed; at a larger font the longest
    // motive name and advertisement must still fit.
    const int margin = FromDIP(16);
    int motiveWidth = std::max(FromDIP(50), GetTextExtent("Motive").x + margin);
    for (const CMotiveRow& row : kMotiveRows)
        motiveWidth = std::max(motiveWidth, GetTextExtent(row.name).x + margin);
    const int advertWidth = std::max(FromDIP(160), GetTextExtent("-32768...-32768, Gardening Skill").x + margin);
    const int listWidth = std::max(ConvertDialogToPixels(wxSize(157, 0)).x, motiveWidth + advertWidth + FromDIP(6));
    m_motives->AppendColumn("Motive", wxLIST_FORMAT_LEFT, motiveWidth);
    m_motives->AppendColumn("Advertisment", wxLIST_FORMAT_LEFT, listWidth - motiveWidth - FromDIP(6));
    // The nine rows are always there; the list is made tall enough to show them all.
    for (std::size_t row = 0; row < kMotiveRows.size(); ++row)
        m_motives->InsertItem(static_cast<long>(row), kMotiveRows[row].name);
    wxRect firstRow;
    m_motives->GetItemRect(0, firstRow);
    const int rowsHeight = firstRow.GetBottom() + firstRow.height * static_cast<int>(kMotiveRows.size() - 1);
    m_motives->SetMinSize(
        wxSize(listWidth, std::max(ConvertDialogToPixels(wxSize(0, 98)).y, rowsHeight + FromDIP(8))));

    auto* range = new wxBoxSizer(wxHORIZONTAL);
    range->Add(new wxStaticText(advert, wxID_ANY, "Min:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, small);
    range->Add(CreateField(advert, *this, IDC_INTERACTIONS_MINIMUM, 40), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    range->Add(new wxStaticText(advert, wxID_ANY, "Max:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, small);
    range->Add(CreateField(advert, *this, IDC_INTERACTIONS_MAXIMUM, 40), 0, wxALIGN_CENTER_VERTICAL);
    auto* varyBy = new wxBoxSizer(wxHORIZONTAL);
    varyBy->Add(new wxStaticText(advert, wxID_ANY, "Vary by:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, small);
    auto* varyByChoice = CreateChoice(advert, IDC_INTERACTIONS_VARY_BY, kVaryByNames.data(), kVaryByNames.size());
    varyByChoice->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(101, 0)).x, -1));
    varyBy->Add(varyByChoice, 0, wxALIGN_CENTER_VERTICAL);

    advertBox->Add(settings, 0, wxALL, small);
    advertBox->Add(m_motives, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, small);
    advertBox->Add(range, 0, wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT | wxBOTTOM, small);
    advertBox->Add(varyBy, 0, wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT | wxBOTTOM, small);

    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    columns->Add(itemsBox, 0, wxEXPAND | wxRIGHT, gap * 2);
    columns->Add(middle, 0, wxEXPAND | wxRIGHT, gap * 2);
    columns->Add(advertBox, 1, wxEXPAND);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(columns, 1, wxEXPAND | wxALL, gap);
    SetSizerAndFit(outer);
    m_baseFont = m_items->GetFont();

    Bind(wxEVT_LISTBOX, &CInteractionsDlg::OnSelectionChanged, this, IDC_INTERACTIONS_ITEMS);
    Bind(wxEVT_CHOICE, &CInteractionsDlg::OnSelectionChanged, this, IDC_INTERACTIONS_LANGUAGE);
    Bind(wxEVT_LIST_ITEM_SELECTED, &CInteractionsDlg::OnMotiveChanged, this, IDC_INTERACTIONS_MOTIVES);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &CInteractionsDlg::OnMotiveChanged, this, IDC_INTERACTIONS_MOTIVES);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnNameChanged, this, IDC_INTERACTIONS_NAME);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnActionTreeChanged, this, IDC_INTERACTIONS_ACTION_TREE);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnCheckTreeChanged, this, IDC_INTERACTIONS_CHECK_TREE);
    Bind(wxEVT_CHECKBOX, &CInteractionsDlg::OnFlagClicked, this, IDC_INTERACTIONS_VISITORS,
         IDC_INTERACTIONS_AUTO_FIRST);
    Bind(wxEVT_CHOICE, &CInteractionsDlg::OnAttenuationChanged, this, IDC_INTERACTIONS_ATTENUATION);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnAttenuationValueChanged, this, IDC_INTERACTIONS_ATTENUATION_VALUE);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnAutonomyChanged, this, IDC_INTERACTIONS_AUTONOMY);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnFlags2Changed, this, IDC_INTERACTIONS_FLAGS2);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnMinimumChanged, this, IDC_INTERACTIONS_MINIMUM);
    Bind(wxEVT_TEXT, &CInteractionsDlg::OnMaximumChanged, this, IDC_INTERACTIONS_MAXIMUM);
    Bind(wxEVT_CHOICE, &CInteractionsDlg::OnVaryByChanged, this, IDC_INTERACTIONS_VARY_BY);
    Bind(wxEVT_BUTTON, &CInteractionsDlg::OnAdd, this, IDC_INTERACTIONS_ADD);
    Bind(wxEVT_BUTTON, &CInteractionsDlg::OnDelete, this, IDC_INTERACTIONS_DELETE);
}

void CInteractionsDlg::SetTables(CInteractionTable& interactions, CStringTable& names)
{
    m_interactions = &interactions;
    m_names = &names;
    m_tablesSet = true;
}

int CInteractionsDlg::ShowModal()
{
    if (!m_tablesSet)
    {
        Ui().MessageBox(GetParent(), kNotSetMessage, kProgramName, wxOK | wxICON_ERROR);
        return wxID_CANCEL;
    }
    return CExchangeDialog::ShowModal();
}

void CInteractionsDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Check(IDC_INTERACTIONS_VISITORS, m_visitors);
    dx.Selection(IDC_INTERACTIONS_VARY_BY, m_varyBy);
    dx.Int(IDC_INTERACTIONS_MINIMUM, m_minimum);
    dx.Int(IDC_INTERACTIONS_MAXIMUM, m_maximum);
    dx.Check(IDC_INTERACTIONS_CHILDREN, m_children);
    dx.UInt(IDC_INTERACTIONS_AUTONOMY, m_autonomyThreshold);
    dx.MinMax(IDC_INTERACTIONS_AUTONOMY, m_autonomyThreshold, 0, 100);
    dx.Check(IDC_INTERACTIONS_AUTO_FIRST, m_autoFirst);
    dx.Check(IDC_INTERACTIONS_ADULTS, m_adults);
    dx.Check(IDC_INTERACTIONS_CONSECUTIVE, m_consecutive);
    dx.Selection(IDC_INTERACTIONS_ATTENUATION, m_attenuationPreset);
    dx.Float(IDC_INTERACTIONS_ATTENUATION_VALUE, m_attenuationValue);
    dx.Selection(IDC_INTERACTIONS_ITEMS, m_selectedEntry);
    dx.Text(IDC_INTERACTIONS_NAME, m_name);
    dx.Selection(IDC_INTERACTIONS_LANGUAGE, m_language);
    dx.UInt(IDC_INTERACTIONS_ACTION_TREE, m_actionTree);
    dx.MinMax(IDC_INTERACTIONS_ACTION_TREE, m_actionTree, 0, 65535);
    dx.UInt(IDC_INTERACTIONS_CHECK_TREE, m_checkTree);
    dx.MinMax(IDC_INTERACTIONS_CHECK_TREE, m_checkTree, 0, 65535);
    if (m_interactions != nullptr && m_interactions->HasSecondFlags())
        dx.Hex32(IDC_INTERACTIONS_FLAGS2, m_flags2);
}

void CInteractionsDlg::OnInitDialog()
{
    if (!m_tablesSet)
        return;
    m_refreshing = true;
    // Only version 10 has the field; the other versions keep the dialog as it always was.
    GetSizer()->Show(m_flags2Row, m_interactions->HasSecondFlags(), true);
    Layout();
    GetSizer()->Fit(this);
    m_language = 0;
    m_selectedEntry = 0;
    UpdateData(false);
    m_refreshing = false;
    Refresh();
    // As a click on the entry would choose it, now that the list is filled.
    if (const int entry = EntryOfInteraction(m_initialInteraction); entry > 0)
    {
        m_items->SetSelection(entry);
        Refresh();
    }
    CentreOnParent();
}

void CInteractionsDlg::Refresh()
{
    DoRefresh(true);
}

void CInteractionsDlg::DoRefresh(bool readFields)
{
    if (m_refreshing || !m_tablesSet)
        return;
    m_refreshing = true;

    // The two selections come after the number fields in the exchange: a number that fails its
    // check (a threshold of 150 read from a file) must not hold the list on the old entry.
    if (!readFields || !UpdateData(true))
    {
        m_selectedEntry = m_items->GetSelection();
        m_language = m_languages->GetSelection();
    }
    const int entry = std::max(m_selectedEntry, 0);
    const int language = Language();

    const wxFont font = SlotFont(m_baseFont, language);
    if (font != m_items->GetFont())
    {
        m_items->SetFont(font);
        FindWindow(IDC_INTERACTIONS_NAME)->SetFont(font);
    }
    m_items->Clear();
    const std::vector<CStringTable::CRow>& rows = m_names->Rows();
    for (std::size_t position = 0; position < m_interactions->Interactions().size(); ++position)
    {
        const std::uint32_t nameIndex = m_interactions->Interactions()[position].nameIndex;
        if (nameIndex < rows.size())
            m_items->Append(SlotText(*m_names, rows[nameIndex][static_cast<std::size_t>(language)].text, language),
                            reinterpret_cast<void*>(static_cast<std::uintptr_t>(position)));
    }

    CInteraction none;
    none.motives.resize(CInteraction::kStoredMotives);
    const CInteraction* current = InteractionOfEntry(entry);
    const CInteraction& shown = current != nullptr ? *current : none;
    FillMembers(shown, current != nullptr);
    SetMotiveTexts(shown);
    UpdateData(false);
    UpdateData(true);

    if (m_motives->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED) < 0)
        m_motives->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    FillMotiveMembers(shown);

    m_selectedEntry = entry;
    UpdateData(false);
    m_refreshing = false;
}

int CInteractionsDlg::Language() const
{
    return std::clamp(m_language, 0, kLanguageCount - 1);
}

int CInteractionsDlg::EntryOfInteraction(int position) const
{
    // The list leaves out interactions whose name row is missing, so entries and positions differ
    // after the first of those.
    const std::vector<CInteraction>& all = m_interactions->Interactions();
    if (position < 0 || static_cast<std::size_t>(position) >= all.size())
        return 0;
    const auto named = [&](const CInteraction& interaction) { return interaction.nameIndex < m_names->Rows().size(); };
    if (!named(all[static_cast<std::size_t>(position)]))
        return 0;
    return static_cast<int>(std::count_if(all.begin(), all.begin() + position, named));
}

std::size_t CInteractionsDlg::PositionOfEntry(int entry) const
{
    if (entry < 0 || static_cast<unsigned int>(entry) >= m_items->GetCount())
        return kNoPosition;
    const auto position = reinterpret_cast<std::uintptr_t>(m_items->GetClientData(static_cast<unsigned int>(entry)));
    return position < m_interactions->Interactions().size() ? position : kNoPosition;
}

const CInteraction* CInteractionsDlg::InteractionOfEntry(int entry) const
{
    const std::size_t position = PositionOfEntry(entry);
    return position == kNoPosition ? nullptr : &m_interactions->Interactions()[position];
}

const CInteraction* CInteractionsDlg::SelectedInteraction() const
{
    return InteractionOfEntry(m_items->GetSelection());
}

int CInteractionsDlg::SelectedMotiveSlot() const
{
    const long row = m_motives->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= kMotiveRows.size())
        return -1;
    return kMotiveRows[static_cast<std::size_t>(row)].slot;
}

void CInteractionsDlg::FillMembers(const CInteraction& interaction, bool selected)
{
    // The interaction of zeros that stands in when none is selected has no name of its own.
    m_name.clear();
    if (selected && interaction.nameIndex < m_names->Rows().size())
    {
        const CStringPair& name = m_names->Rows()[interaction.nameIndex][static_cast<std::size_t>(Language())];
        m_name = SlotText(*m_names, name.text, Language());
    }
    m_actionTree = interaction.actionTree;
    m_checkTree = interaction.checkTree;
    m_visitors = (interaction.flags & kInteractionVisitors) != 0;
    m_children = (interaction.flags & kInteractionNotChildren) == 0;
    m_adults = (interaction.flags & kInteractionNotAdults) == 0;
    m_consecutive = (interaction.flags & kInteractionConsecutive) != 0;
    m_autoFirst = (interaction.flags & kInteractionAutoFirstSelect) != 0;
    const std::uint32_t code = interaction.attenuationCode;
    m_attenuationPreset = code < kAttenuationNames.size() ? static_cast<int>(code) : -1;
    if (code == 0)
        m_attenuationValue = interaction.attenuationValue;
    else if (code < kAttenuationPresets.size())
        m_attenuationValue = kAttenuationPresets[code];
    m_attenuationField->Enable(code == 0);
    m_autonomyThreshold = interaction.autonomyThreshold;
    m_flags2 = interaction.flags2;
}

void CInteractionsDlg::FillMotiveMembers(const CInteraction& interaction)
{
    const int slot = SelectedMotiveSlot();
    CMotiveEntry entry;
    if (slot >= 0 && static_cast<std::size_t>(slot) < interaction.motives.size())
        entry = interaction.motives[static_cast<std::size_t>(slot)];
    m_minimum = entry.minimum;
    m_maximum = entry.maximum;
    m_varyBy = entry.varyBy < kVaryByNames.size() ? static_cast<int>(entry.varyBy) : -1;
}

void CInteractionsDlg::SetMotiveTexts(const CInteraction& interaction)
{
    for (std::size_t row = 0; row < kMotiveRows.size(); ++row)
    {
        const auto slot = static_cast<std::size_t>(kMotiveRows[row].slot);
        const CMotiveEntry entry = slot < interaction.motives.size() ? interaction.motives[slot] : CMotiveEntry{};
        m_motives->SetItem(static_cast<long>(row), kMotiveAdvertColumn, AdvertText(entry));
    }
}

bool CInteractionsDlg::IgnoresEvents() const
{
    return !m_tablesSet || m_refreshing || IsWritingFields();
}

void CInteractionsDlg::StoreChange(const std::function<void(CInteraction&)>& change)
{
    if (IgnoresEvents())
        return;
    // A field that failed its check has shown its message; nothing is stored from a half-read
    // dialog (an autonomy threshold of 150 would otherwise be kept), and the refresh puts the
    // stored values back without reading, so the message is not shown twice.
    const bool read = UpdateData(true);
    if (read)
    {
        const std::size_t position = PositionOfEntry(m_items->GetSelection());
        if (position != kNoPosition)
        {
            CInteraction changed = m_interactions->Interactions()[position];
            change(changed);
            m_interactions->SetInteraction(position, std::move(changed));
        }
    }
    DoRefresh(read);
}

void CInteractionsDlg::StoreTyped(int id, const std::function<void(CInteraction&)>& change)
{
    if (IgnoresEvents())
        return;
    auto* field = wxDynamicCast(FindWindow(id), wxTextCtrl);
    if (field == nullptr)
        return;
    // A text on its way to a number ("", "-") waits: the field's check speaks when it is left or
    // on OK, not at every key.
    if (!ReadQuietly())
        return;
    const wxString typed = field->GetValue();
    const long caret = field->GetInsertionPoint();
    StoreChange(change);
    const wxString shown = field->GetValue();
    // Put back as typed, caret included: the next key goes where the user expects it.
    if (shown != typed && SameNumber(id, typed, shown))
    {
        field->ChangeValue(typed);
        field->SetInsertionPoint(caret);
    }
}

std::function<void(CInteraction&)> CInteractionsDlg::MotiveChange(std::function<void(CMotiveEntry&)> change)
{
    // The row is looked up when the change is applied, after the fields were read.
    return [this, change = std::move(change)](CInteraction& interaction) {
        const int slot = SelectedMotiveSlot();
        if (slot >= 0 && static_cast<std::size_t>(slot) < interaction.motives.size())
            change(interaction.motives[static_cast<std::size_t>(slot)]);
    };
}

void CInteractionsDlg::OnSelectionChanged(wxCommandEvent&)
{
    if (IgnoresEvents())
        return;
    Refresh();
}

void CInteractionsDlg::OnMotiveChanged(wxListEvent&)
{
    if (IgnoresEvents())
        return;
    UpdateData(true);
    CInteraction none;
    const CInteraction* current = SelectedInteraction();
    FillMotiveMembers(current != nullptr ? *current : none);
    UpdateData(false);
}

void CInteractionsDlg::OnNameChanged(wxCommandEvent&)
{
    if (IgnoresEvents())
        return;
    const bool read = UpdateData(true);
    // Only a listed interaction is renamed: with none selected, the row its name index 0 points
    // to belongs to another interaction.
    const CInteraction* current = SelectedInteraction();
    wxString refusal;
    if (read && current != nullptr && current->nameIndex < m_names->Rows().size())
    {
        std::string stored = m_names->Rows()[current->nameIndex][static_cast<std::size_t>(Language())].text;
        if (TakeSlotText(m_name, *m_names, Language(), stored, refusal))
            m_names->SetText(current->nameIndex, Language(), std::move(stored));
    }
    // The refresh puts the stored name back, without the character the language cannot hold.
    DoRefresh(read);
    if (!refusal.empty())
        Ui().MessageBox(this, refusal, kProgramName, wxOK | wxICON_EXCLAMATION);
}

void CInteractionsDlg::OnActionTreeChanged(wxCommandEvent&)
{
    StoreTyped(IDC_INTERACTIONS_ACTION_TREE,
               [this](CInteraction& interaction) { interaction.actionTree = static_cast<std::uint16_t>(m_actionTree); });
}

void CInteractionsDlg::OnCheckTreeChanged(wxCommandEvent&)
{
    StoreTyped(IDC_INTERACTIONS_CHECK_TREE,
               [this](CInteraction& interaction) { interaction.checkTree = static_cast<std::uint16_t>(m_checkTree); });
}

void CInteractionsDlg::OnFlagClicked(wxCommandEvent& event)
{
    const int id = event.GetId();
    StoreChange([this, id](CInteraction& interaction) {
        switch (id)
        {
        case IDC_INTERACTIONS_VISITORS:
            SetBit(interaction.flags, kInteractionVisitors, m_visitors != 0);
            break;
        case IDC_INTERACTIONS_CHILDREN:
            SetBit(interaction.flags, kInteractionNotChildren, m_children == 0);
            break;
        case IDC_INTERACTIONS_ADULTS:
            SetBit(interaction.flags, kInteractionNotAdults, m_adults == 0);
            break;
        case IDC_INTERACTIONS_CONSECUTIVE:
            SetBit(interaction.flags, kInteractionConsecutive, m_consecutive != 0);
            break;
        case IDC_INTERACTIONS_AUTO_FIRST:
            SetBit(interaction.flags, kInteractionAutoFirstSelect, m_autoFirst != 0);
            break;
        default:
            break;
        }
    });
}

void CInteractionsDlg::OnAttenuationChanged(wxCommandEvent&)
{
    StoreChange([this](CInteraction& interaction) {
        if (m_attenuationPreset >= 0)
            interaction.attenuationCode = static_cast<std::uint32_t>(m_attenuationPreset);
    });
}

void CInteractionsDlg::OnAttenuationValueChanged(wxCommandEvent&)
{
    StoreTyped(IDC_INTERACTIONS_ATTENUATION_VALUE,
               [this](CInteraction& interaction) { interaction.attenuationValue = m_attenuationValue; });
}

void CInteractionsDlg::OnAutonomyChanged(wxCommandEvent&)
{
    StoreTyped(IDC_INTERACTIONS_AUTONOMY,
               [this](CInteraction& interaction) { interaction.autonomyThreshold = m_autonomyThreshold; });
}

void CInteractionsDlg::OnFlags2Changed(wxCommandEvent&)
{
    StoreTyped(IDC_INTERACTIONS_FLAGS2, [this](CInteraction& interaction) { interaction.flags2 = m_flags2; });
}

void CInteractionsDlg::OnMinimumChanged(wxCommandEvent&)
{
    StoreTyped(IDC_INTERACTIONS_MINIMUM, MotiveChange([this](CMotiveEntry& entry) { entry.minimum = m_minimum; }));
}

void CInteractionsDlg::OnMaximumChanged(wxCommandEvent&)
{
    StoreTyped(IDC_INTERACTIONS_MAXIMUM, MotiveChange([this](CMotiveEntry& entry) { entry.maximum = m_maximum; }));
}

void CInteractionsDlg::OnVaryByChanged(wxCommandEvent&)
{
    StoreChange(MotiveChange([this](CMotiveEntry& entry) {
        if (m_varyBy >= 0)
            entry.varyBy = static_cast<std::uint16_t>(m_varyBy);
    }));
}

void CInteractionsDlg::OnAdd(wxCommandEvent&)
{
    if (IgnoresEvents())
        return;
    CInteraction added;
    added.actionTree = 0;
    added.checkTree = 0;
    added.motiveCount = CInteraction::kStoredMotives;
    added.flags = 0;
    added.nameIndex = static_cast<std::uint32_t>(m_names->Rows().size());
    added.attenuationCode = 3;
    added.attenuationValue = 0.0f;
    added.autonomyThreshold = 50;
    added.extraIndex = -1;
    added.motives.assign(CInteraction::kStoredMotives, CMotiveEntry{});
    added.flags2 = 0;
    m_interactions->AddInteraction(added);

    CStringTable::CRow row;
    for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
    {
        if (slot != 1)
            row[static_cast<std::size_t>(slot)].text = kNewInteractionName;
    }
    m_names->AddRow(row);
    Refresh();
}

void CInteractionsDlg::OnDelete(wxCommandEvent&)
{
    if (IgnoresEvents())
        return;
    UpdateData(true);
    if (!AskYesNo(this, kDeleteQuestion, kWarningCaption))
        return;
    const std::size_t position = PositionOfEntry(m_items->GetSelection());
    if (position != kNoPosition)
        m_interactions->RemoveInteraction(position);
    Refresh();
}
