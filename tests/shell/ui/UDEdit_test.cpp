#include "shell/ui/UDEdit.h"
#include "support/TestEnv.h"

#include <QLineEdit>
#include <QToolButton>
#include <clocale>
#include <gtest/gtest.h>

namespace {

// The frequency edit of the edge cases: 120..150, step 0.25, 3 digits.
void MakeFrequencyEdit(TUDEdit& edit)
{
    edit.SetMaxValue(150);
    edit.SetMinValue(120);
    edit.SetStep(0.25);
    edit.SetDigits(3);
}

}  // namespace

TEST(UDEdit, ValuesAndButtonsStayWithinTheLimits)
{
    TUDEdit edit;
    EXPECT_EQ(edit.Value(), 0.0);
    EXPECT_EQ(edit.MaxValue(), 1000000.0);
    EXPECT_EQ(edit.Edit()->text(), "0.000");
    MakeFrequencyEdit(edit);

    struct Case {
        const char* name;
        double start;
        int clicks;  // + up, - down
        const char* text;
    };
    const Case cases[] = {
        {"below the minimum", 100, 0, "120.000"},
        {"above the maximum", 1e9, 0, "150.000"},
        {"up from 149.9 stops at the maximum", 149.9, 1, "150.000"},
        {"down from 120.1 stops at the minimum", 120.1, -1, "120.000"},
        {"two steps up", 130, 2, "130.500"},
    };
    for (const Case& c : cases) {
        edit.SetValue(c.start);
        for (int i = 0; i < std::abs(c.clicks); ++i)
            (c.clicks > 0 ? edit.UpButton() : edit.DownButton())->click();
        EXPECT_EQ(edit.Edit()->text(), c.text) << c.name;
        EXPECT_EQ(edit.GetTextValue(), c.text) << c.name;
        EXPECT_GE(edit.Value(), 120.0) << c.name;
        EXPECT_LE(edit.Value(), 150.0) << c.name;
    }
}

TEST(UDEdit, CrossedLimitsMoveTheOtherLimitAndDigitsAreBounded)
{
    TUDEdit edit;
    MakeFrequencyEdit(edit);
    edit.SetMaxValue(100);
    EXPECT_EQ(edit.MinValue(), 100.0);
    EXPECT_EQ(edit.MaxValue(), 150.0);
    edit.SetMinValue(200);
    EXPECT_EQ(edit.MaxValue(), 200.0);
    EXPECT_EQ(edit.MinValue(), 100.0);

    edit.SetDigits(20);
    EXPECT_EQ(edit.Digits(), 15);
    edit.SetDigits(-1);
    EXPECT_EQ(edit.Digits(), 0);
    EXPECT_EQ(edit.Edit()->text(), "120") << "the value stays within the new limits";
}

TEST(UDEdit, TypingSetsTheClampedValueAndLeavesTheText)
{
    TUDEdit edit;
    MakeFrequencyEdit(edit);
    edit.SetValue(137.5);
    struct Case {
        const char* typed;
        double value;
    };
    const Case cases[] = {{"abc", 120}, {"137.125MHz", 137.125}, {"999", 150}, {"nan", 120}, {"", 120}};
    for (const Case& c : cases) {
        edit.Edit()->setText(c.typed);
        EXPECT_EQ(edit.Value(), c.value) << c.typed;
        EXPECT_EQ(edit.Edit()->text(), c.typed) << "typed text stays until the next rewrite";
    }
    edit.UpButton()->click();
    EXPECT_EQ(edit.Edit()->text(), "120.250");
}

TEST(UDEdit, NumbersUseAPointWhateverTheLocale)
{
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        SKIP_MISSING("locale de_DE.UTF-8 not installed");
    TUDEdit edit;
    MakeFrequencyEdit(edit);
    edit.SetValue(QString("137.62"));
    EXPECT_EQ(edit.GetTextValue(), "137.620");
    edit.Edit()->setText("137.5");
    EXPECT_EQ(edit.Value(), 137.5);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(UDEdit, WidthHasAFloorAndTheButtonsFollowTheEdit)
{
    TUDEdit edit;
    edit.show();
    edit.resize(30, edit.height());
    EXPECT_EQ(edit.width(), 50);
    edit.resize(120, edit.height());
    EXPECT_EQ(edit.Edit()->width() + 2 + edit.UpButton()->width(), 120);
    EXPECT_EQ(edit.UpButton()->x(), edit.Edit()->x() + edit.Edit()->width() + 2);
    EXPECT_EQ(edit.height(), edit.UpButton()->height() + edit.DownButton()->height());

    edit.SetEnabled(false);
    EXPECT_FALSE(edit.Edit()->isEnabled());
    EXPECT_FALSE(edit.UpButton()->isEnabled());
    EXPECT_TRUE(edit.isEnabled()) << "the container keeps its own state";
}
