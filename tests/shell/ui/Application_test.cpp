#include "shell/ui/Application.h"
#include "support/ModalCatcher.h"

#include <QEvent>
#include <QObject>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// A window whose handler fails the first time, as a slot with a bug would.
class FailingOnce : public QObject {
public:
    int handled = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (handled++ == 0)
            throw std::runtime_error("Invalid data type for 'Satellite'");
        return true;
    }
};

}  // namespace

TEST(Application, AnExceptionLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    QCoreApplication::setApplicationName("Orvanta");
    FailingOnce target;
    QEvent event(QEvent::User);
    {
        ModalCatcher boxes;
        EXPECT_FALSE(TApplication::DeliverShowingExceptions(*qApp, &target, &event));
        ASSERT_EQ(boxes.Captions.size(), 1);
        EXPECT_EQ(boxes.Captions[0], "Orvanta");
        EXPECT_EQ(boxes.Texts[0], "Invalid data type for 'Satellite'");
    }
    ModalCatcher none;
    EXPECT_TRUE(TApplication::DeliverShowingExceptions(*qApp, &target, &event)) << "the next event is handled";
    EXPECT_EQ(target.handled, 2);
    EXPECT_TRUE(none.Captions.isEmpty());
}
