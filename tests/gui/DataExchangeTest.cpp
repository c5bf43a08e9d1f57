// The data exchange of the framework on its own: a dialog with one field of every kind, read and
// written through CExchangeDialog, with the messages, focus and selection of a failed check.

#include "GuiTestSupport.h"

#include "framework/ExchangeDialog.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{
enum
{
    kIntField = 200,
    kShortField,
    kUIntField,
    kRangeField,
    kByteField,
    kFloatField,
    kTextField,
    kStatusText,
    kChoiceField,
    kCheckField,
};

// Fields in a fixed order: int, short, unsigned, unsigned within 1..254, byte, float, text of at
// most 2 characters, a static text, a choice and a check box.
class CFieldsDlg : public CExchangeDialog
{
public:
    CFieldsDlg() : CExchangeDialog(nullptr, wxID_ANY, "Fields")
    {
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        for (int id = kIntField; id <= kTextField; ++id)
        {
            auto* field = new wxTextCtrl(this, id);
            field->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { ++textEvents; });
            sizer->Add(field);
        }
        sizer->Add(new wxStaticText(this, kStatusText, "template text"));
        auto* choice = new wxChoice(this, kChoiceField);
        choice->Append({"Go to", "return TRUE", "return FALSE", "return ERROR"});
        choice->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { ++otherEvents; });
        sizer->Add(choice);
        auto* check = new wxCheckBox(this, kCheckField, "Flag");
        check->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { ++otherEvents; });
        sizer->Add(check);
        sizer->Add(new wxButton(this, wxID_OK, "OK"));
        sizer->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
        SetSizerAndFit(sizer);
    }

    wxTextCtrl* Edit(int id) { return static_cast<wxTextCtrl*>(FindWindow(id)); }

    void DoDataExchange(CDataExchange& dx) override
    {
        dx.Int(kIntField, intValue);
        dx.Int(kShortField, shortValue);
        dx.UInt(kUIntField, uintValue);
        dx.UInt(kRangeField, rangeValue);
        dx.MinMax(kRangeField, rangeValue, 1, 254);
        dx.Byte(kByteField, byteValue);
        dx.Float(kFloatField, floatValue);
        dx.Text(kTextField, textValue);
        dx.MaxChars(kTextField, textValue, 2);
        dx.Text(kStatusText, statusValue);
        dx.Selection(kChoiceField, choiceValue);
        dx.Check(kCheckField, checkValue);
    }

    int intValue = -7;
    std::int16_t shortValue = -32768;
    std::uint32_t uintValue = 4000000000U;
    std::uint32_t rangeValue = 5;
    std::uint8_t byteValue = 255;
    float floatValue = 0.02f;
    wxString textValue = "FF";
    wxString statusValue = "Reading Global.iff";
    int choiceValue = 2;
    int checkValue = 1;
    int textEvents = 0;
    int otherEvents = 0;
};

// Puts valid texts into every field, as a user would have typed them.
void TypeValidFields(CFieldsDlg& dialog)
{
    dialog.Edit(kIntField)->ChangeValue(" -12 ");
    dialog.Edit(kShortField)->ChangeValue("32767");
    dialog.Edit(kUIntField)->ChangeValue("+65536");
    dialog.Edit(kRangeField)->ChangeValue("254");
    dialog.Edit(kByteField)->ChangeValue("0");
    dialog.Edit(kFloatField)->ChangeValue("1.5e1");
    dialog.Edit(kTextField)->ChangeValue("01");
}

struct CBadField
{
    int field;
    const char* text;
    const char* message;
};

void PrintTo(const CBadField& bad, std::ostream* out)
{
    *out << "field " << bad.field << " \"" << bad.text << "\"";
}

class DataExchangeFailure : public testing::TestWithParam<CBadField>
{
};
}

TEST(DataExchangeParsing, SignedFieldsTakeBlanksAndOneSignOnly)
{
    EXPECT_EQ(ParseSignedField("  -12\t", -100, 100), -12);
    EXPECT_EQ(ParseSignedField("+5", -100, 100), 5);
    EXPECT_EQ(ParseSignedField("-0", 0, 100), 0);
    EXPECT_EQ(ParseSignedField("-32768", -32768, 32767), -32768);
    for (const char* bad : {"", " ", "-", "+", "1 2", "12a", "0x10", "--1", "1.0", "\xd9\xa3"})
        EXPECT_FALSE(ParseSignedField(wxString::FromUTF8(bad), -100, 100)) << bad;
    EXPECT_FALSE(ParseSignedField("32768", -32768, 32767));
    EXPECT_FALSE(ParseSignedField("-32769", -32768, 32767));
    EXPECT_FALSE(ParseSignedField("-1", 0, 100));
    EXPECT_FALSE(ParseSignedField("99999999999999999999999", -100, 100));
}

TEST(DataExchangeParsing, UnsignedFieldsRefuseMinusAndOverflow)
{
    EXPECT_EQ(ParseUnsignedField("4294967295", 0xFFFFFFFFULL), 4294967295ULL);
    EXPECT_EQ(ParseUnsignedField(" 0 ", 255), 0ULL);
    EXPECT_FALSE(ParseUnsignedField("4294967296", 0xFFFFFFFFULL));
    EXPECT_FALSE(ParseUnsignedField("-1", 0xFFFFFFFFULL));
    EXPECT_FALSE(ParseUnsignedField("-0", 0xFFFFFFFFULL));
    EXPECT_FALSE(ParseUnsignedField("256", 255));
    EXPECT_FALSE(ParseUnsignedField("", 255));
}

TEST(DataExchangeParsing, NumbersAreDecimalInTheCLocaleAndFitAFloat)
{
    EXPECT_DOUBLE_EQ(*ParseNumberField(" 0.02 "), 0.02);
    EXPECT_DOUBLE_EQ(*ParseNumberField("-1e3"), -1000.0);
    EXPECT_DOUBLE_EQ(*ParseNumberField(".5"), 0.5);
    for (const char* bad : {"", "abc", "inf", "nan", "0x1p3", "1,5", "1e39", "1.5.2"})
        EXPECT_FALSE(ParseNumberField(bad)) << bad;
    EXPECT_EQ(FormatFloatField(0.02f), "0.02");
    EXPECT_EQ(FormatFloatField(0.1f), "0.1");
    EXPECT_EQ(FormatFloatField(0.002f), "0.002");
    EXPECT_EQ(FormatFloatField(0.0f), "0");
    EXPECT_EQ(FormatFloatField(123456789.0f), "1.23457e+08");
}

TEST(DataExchange, WritesEveryMemberWithoutRaisingChangeEvents)
{
    CFieldsDlg dialog;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(dialog.Edit(kIntField)->GetValue(), "-7");
    EXPECT_EQ(dialog.Edit(kShortField)->GetValue(), "-32768");
    EXPECT_EQ(dialog.Edit(kUIntField)->GetValue(), "4000000000");
    EXPECT_EQ(dialog.Edit(kRangeField)->GetValue(), "5");
    EXPECT_EQ(dialog.Edit(kByteField)->GetValue(), "255");
    EXPECT_EQ(dialog.Edit(kFloatField)->GetValue(), "0.02");
    EXPECT_EQ(dialog.Edit(kTextField)->GetValue(), "FF");
    EXPECT_EQ(dialog.FindWindow(kStatusText)->GetLabel(), "Reading Global.iff");
    EXPECT_EQ(static_cast<wxChoice*>(dialog.FindWindow(kChoiceField))->GetSelection(), 2);
    EXPECT_TRUE(static_cast<wxCheckBox*>(dialog.FindWindow(kCheckField))->GetValue());
    EXPECT_EQ(dialog.textEvents, 0);
    EXPECT_EQ(dialog.otherEvents, 0);

    // Writing limits the text field to its most characters.
    dialog.Edit(kTextField)->ChangeValue("");
    for (const char* typed : {"A", "B", "C"})
        dialog.Edit(kTextField)->WriteText(typed);
    EXPECT_EQ(dialog.Edit(kTextField)->GetValue(), "AB");

    dialog.choiceValue = -1;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(static_cast<wxChoice*>(dialog.FindWindow(kChoiceField))->GetSelection(), wxNOT_FOUND);
}

TEST(DataExchange, ReadsValidFieldsIntoTheirMembers)
{
    CScriptedUserInterface user;
    CUiScope scope(user);
    CFieldsDlg dialog;
    ASSERT_TRUE(dialog.UpdateData(false));
    TypeValidFields(dialog);
    static_cast<wxChoice*>(dialog.FindWindow(kChoiceField))->SetSelection(wxNOT_FOUND);
    static_cast<wxCheckBox*>(dialog.FindWindow(kCheckField))->SetValue(false);

    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(dialog.intValue, -12);
    EXPECT_EQ(dialog.shortValue, 32767);
    EXPECT_EQ(dialog.uintValue, 65536U);
    EXPECT_EQ(dialog.rangeValue, 254U);
    EXPECT_EQ(dialog.byteValue, 0);
    EXPECT_FLOAT_EQ(dialog.floatValue, 15.0f);
    EXPECT_EQ(dialog.textValue, "01");
    EXPECT_EQ(dialog.choiceValue, wxNOT_FOUND);
    EXPECT_EQ(dialog.checkValue, 0);
}

TEST_P(DataExchangeFailure, ShowsItsMessageFocusesTheFieldAndStopsReading)
{
    const CBadField bad = GetParam();
    CScriptedUserInterface user;
    CUiScope scope(user);
    CFieldsDlg dialog;
    dialog.Show();
    ASSERT_TRUE(dialog.UpdateData(false));
    TypeValidFields(dialog);
    // The field refuses a third character as typed; a pasted or set text can still hold more.
    dialog.Edit(kTextField)->SetMaxLength(0);
    dialog.Edit(bad.field)->ChangeValue(wxString::FromUTF8(bad.text));
    // A field after every checked one: it must keep its member when reading stops early.
    dialog.Edit(kTextField)->ChangeValue(bad.field == kTextField ? wxString::FromUTF8(bad.text) : "ZZ");
    const std::int16_t shortBefore = dialog.shortValue;

    EXPECT_FALSE(dialog.UpdateData(true));
    ASSERT_EQ(user.messages.size(), 1U);
    EXPECT_EQ(user.messages[0].text, wxString::FromUTF8(bad.message));
    EXPECT_EQ(user.messages[0].caption, "Treewright");
    EXPECT_EQ(user.messages[0].owner, &dialog);
    EXPECT_EQ(wxWindow::FindFocus(), dialog.Edit(bad.field));
    long from = 0;
    long to = 0;
    dialog.Edit(bad.field)->GetSelection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, static_cast<long>(dialog.Edit(bad.field)->GetValue().length()));
    if (bad.field != kTextField)
    {
        EXPECT_EQ(dialog.textValue, "FF");
    }
    if (bad.field == kIntField)
    {
        EXPECT_EQ(dialog.shortValue, shortBefore);
    }
    dialog.Hide();
}

INSTANTIATE_TEST_SUITE_P(
    EveryCheck, DataExchangeFailure,
    testing::Values(CBadField{kIntField, "-", "Please enter an integer."},
                    CBadField{kIntField, "2147483648", "Please enter an integer."},
                    CBadField{kShortField, "40000", "Please enter an integer."},
                    CBadField{kUIntField, "-3", "Please enter a positive integer."},
                    CBadField{kUIntField, "", "Please enter a positive integer."},
                    CBadField{kRangeField, "255", "Please enter an integer between 1 and 254."},
                    CBadField{kRangeField, "0", "Please enter an integer between 1 and 254."},
                    CBadField{kByteField, "256", "Please enter an integer between 0 and 255."},
                    CBadField{kByteField, "x", "Please enter an integer between 0 and 255."},
                    CBadField{kFloatField, "0,5", "Please enter a number."},
                    CBadField{kTextField, "ABC", "Please enter no more than 2 characters."}));

TEST(DataExchange, OkKeepsTheDialogOpenUntilEveryCheckPasses)
{
    CScriptedUserInterface user;
    CUiScope scope(user);
    CFieldsDlg dialog;
    bool stayedOpen = false;
    user.modalDrivers.push_back([&](wxDialog& shown) {
        auto& fields = static_cast<CFieldsDlg&>(shown);
        TypeValidFields(fields);
        fields.Edit(kByteField)->ChangeValue("300");
        ClickButton(fields, wxID_OK);
        stayedOpen = fields.IsModal();
        fields.Edit(kByteField)->ChangeValue("30");
        ClickButton(fields, wxID_OK);
    });
    EXPECT_EQ(user.RunModal(dialog), wxID_OK);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(user.Texts(), std::vector<wxString>{"Please enter an integer between 0 and 255."});
    EXPECT_EQ(dialog.byteValue, 30);
    EXPECT_EQ(dialog.intValue, -12);
}

TEST(DataExchange, CancelLeavesTheMembersUnread)
{
    CScriptedUserInterface user;
    CUiScope scope(user);
    CFieldsDlg dialog;
    wxString shownAtStart;
    user.modalDrivers.push_back([&](wxDialog& shown) {
        auto& fields = static_cast<CFieldsDlg&>(shown);
        shownAtStart = fields.Edit(kIntField)->GetValue();
        fields.Edit(kIntField)->ChangeValue("99");
        ClickButton(fields, wxID_CANCEL);
    });
    EXPECT_EQ(user.RunModal(dialog), wxID_CANCEL);
    EXPECT_EQ(shownAtStart, "-7");
    EXPECT_EQ(dialog.intValue, -7);
    EXPECT_TRUE(user.messages.empty());
}
