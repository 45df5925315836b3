#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "imaging/ui/LUTDlg.h"

#include <QAction>
#include <QLineEdit>
#include <gtest/gtest.h>

TEST(MainFormLUT, TheChooserTakesTheLowTemperatureOnOKHeldToItsRange)
{
    auto form = MakeMainForm();
    TLUTDlg chooser(form.get());
    EXPECT_TRUE(form->ColorLookupTables1->isEnabled());

    struct Case {
        const char* name;
        const char* typed;
        bool ok;
        double expected;
    };
    const Case cases[] = {
        {"a number", "12.5", true, 12.5},       {"held to -60", "-75", true, -60}, {"held to +40", "99", true, 40},
        {"no number reads as 0", "cold", true, 0}, {"Cancel keeps the setting", "30", false, 0},
    };
    form->Settings->LowTempValue = -15;
    for (const Case& c : cases) {
        const double before = form->Settings->LowTempValue;
        QString offered;
        QWidget* activeWhileShown = nullptr;
        ModalAnswer<TLUTDlg> answer([&](TLUTDlg* dialog) {
            offered = dialog->LowTempValue->text();
            activeWhileShown = form->ActiveWindow;
            dialog->LowTempValue->setText(c.typed);
            if (c.ok)
                dialog->accept();
            else
                dialog->reject();
        });
        form->ColorLookupTables1->trigger();
        EXPECT_EQ(answer.Count, 1) << c.name;
        EXPECT_EQ(offered, QString::number(before, 'g')) << c.name;
        EXPECT_EQ(activeWhileShown, &chooser) << c.name;
        EXPECT_EQ(form->ActiveWindow, form.get()) << c.name;
        EXPECT_EQ(form->Settings->LowTempValue, c.ok ? c.expected : before) << c.name;
    }
}
