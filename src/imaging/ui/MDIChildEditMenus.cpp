// The image window's Edit, Transform, Effect and Enhance menus: their items,
// Tags and hints. The commands themselves are in MDIChildUndo.cpp and
// MDIChildOps.cpp.
#include "imaging/ui/MDIChild.h"

#include <QAction>
#include <QMenu>

namespace {

// A menu command; its hint shows in the status line and as its tool tip.
QAction* AddItem(QMenu* menu, const char* name, const QString& text, const QString& hint = QString(), int tag = 0)
{
    QAction* item = menu->addAction(text);
    item->setObjectName(name);
    item->setData(tag);
    item->setStatusTip(hint);
    item->setToolTip(hint);
    return item;
}

QMenu* AddSubMenu(QMenu* menu, const char* name, const QString& text, const QString& hint, int tag = 0)
{
    QMenu* sub = menu->addMenu(text);
    sub->setObjectName(name);
    sub->menuAction()->setData(tag);
    sub->menuAction()->setStatusTip(hint);
    sub->setToolTipsVisible(true);
    return sub;
}

QMenu* MakeTopMenu(QWidget* owner, const char* name, const QString& text)
{
    auto* menu = new QMenu(text, owner);
    menu->setObjectName(name);
    menu->setToolTipsVisible(true);
    return menu;
}

const QString kEnhanceHint = "Enhances the contrast of a color image by adjusting the pixels color to span the "
                             "entire range of colors available";

}  // namespace

void TMDIChild::BuildEditMenus()
{
    Edit1 = MakeTopMenu(this, "Edit1", "Edit");
    Undo = AddItem(Edit1, "Undo", "Undo", "Undo");
    Clearundolist = AddItem(Edit1, "Clearundolist", "Clear undo list");
    Undo->setEnabled(false);
    Clearundolist->setEnabled(false);
    connect(Undo, &QAction::triggered, this, &TMDIChild::UndoClick);
    connect(Clearundolist, &QAction::triggered, this, [this] { ClearundolistClick(Clearundolist); });

    Transform1 = MakeTopMenu(this, "Transform1", "Transform");
    Flip1 = AddItem(Transform1, "Flip1", "Flip",
                    "Creates a vertical mirror image by reflecting the pixels around the central x-axis.");
    Flop1 = AddItem(Transform1, "Flop1", "Flop",
                    "Creates a horizontal mirror image by reflecting the pixels around the central y-axis.");
    connect(Flip1, &QAction::triggered, this, &TMDIChild::Flip1Click);
    connect(Flop1, &QAction::triggered, this, &TMDIChild::Flop1Click);
    Rotate1 = AddSubMenu(Transform1, "Rotate1", "Rotate", "Rotate the image");
    N451 = AddItem(Rotate1, "N451", "45", "Rotate the image", 45);
    N901 = AddItem(Rotate1, "N901", "90", "Rotate the image", 90);
    N1351 = AddItem(Rotate1, "N1351", "135", "Rotate the image", 135);
    N1801 = AddItem(Rotate1, "N1801", "180", "Rotate the image", 180);
    N2251 = AddItem(Rotate1, "N2251", "225", "Rotate the image", 225);
    N2701 = AddItem(Rotate1, "N2701", "270", "Rotate the image", 270);
    N3151 = AddItem(Rotate1, "N3151", "315", "Rotate the image", 315);
    Rotate1->addSeparator();
    Define1 = AddItem(Rotate1, "Define1", "Define...", "Rotate the image", 0);
    connect(Rotate1, &QMenu::triggered, this, &TMDIChild::RotateClick);
    Chop1 = AddItem(Transform1, "Chop1", "Chop",
                    "Removes a region of an image and collapses the image to occupy the removed portion.");
    connect(Chop1, &QAction::triggered, this, &TMDIChild::Chop1Click);
    Resize1 = AddItem(Transform1, "Resize1", "Resize...", "Resize the image");
    connect(Resize1, &QAction::triggered, this, &TMDIChild::Resize1Click);

    // Effect1 and its first item, the magnifier, come with the Images menu.
    Effect1->setToolTipsVisible(true);
    Magnifier->setStatusTip("Zoom under cursor");
    Magnifier->setToolTip("Zoom under cursor");
    Effect1->addSeparator();
    Reducenoise1 = AddSubMenu(Effect1, "Reducenoise1", "Reduce noise",
                              "Smooths the contours of an image while still preserving edge information", 0);
    Less1 = AddItem(Reducenoise1, "Less1", "Less", "Radius 1", 0);
    More1 = AddItem(Reducenoise1, "More1", "More", "Radius 3", 1);
    Extreme1 = AddItem(Reducenoise1, "Extreme1", "Extreme", "Radius 5", 2);
    Define2 = AddItem(Reducenoise1, "Define2", "Define...", QString(), 10);
    Reducenoise2 = AddSubMenu(Effect1, "Reducenoise2", "Median filter",
                              "Applies a digital filter that improves the quality of a noisy image", 1);
    Less2 = AddItem(Reducenoise2, "Less2", "Less", "Radius 1", 0);
    More2 = AddItem(Reducenoise2, "More2", "More", "Radius 3", 1);
    Extreme2 = AddItem(Reducenoise2, "Extreme2", "Extreme", "Radius 5", 2);
    Define3 = AddItem(Reducenoise2, "Define3", "Define...", QString(), 10);
    connect(Reducenoise1, &QMenu::triggered, this, &TMDIChild::ReduceNoise);
    connect(Reducenoise2, &QMenu::triggered, this, &TMDIChild::ReduceNoise);
    Despeckle1 = AddItem(Effect1, "Despeckle1", "Despeckle",
                         "Reduces the speckle noise in an image while perserving the edges of the original image");
    Emboss1 = AddItem(Effect1, "Emboss1", "Emboss", "Produces a grayscale image with a three-dimensional effect");
    Sharpen1 = AddItem(Effect1, "Sharpen1", "Sharpen", "Sharpens the image");
    Findedges1 = AddItem(Effect1, "Findedges1", "Find edges", "Finds edges of the image");
    connect(Despeckle1, &QAction::triggered, this, &TMDIChild::Despeckle1Click);
    connect(Emboss1, &QAction::triggered, this, &TMDIChild::Emboss1Click);
    connect(Sharpen1, &QAction::triggered, this, &TMDIChild::Sharpen1Click);
    connect(Findedges1, &QAction::triggered, this, &TMDIChild::Findedges1Click);

    Enhance1 = MakeTopMenu(this, "Enhance1", "Enhance");
    Normalize1 = AddItem(Enhance1, "Normalize1", "Normalize", kEnhanceHint);
    Equalize1 = AddItem(Enhance1, "Equalize1", "Equalize", "Applies a histogram equalization to the image");
    connect(Normalize1, &QAction::triggered, this, &TMDIChild::Normalize1Click);
    connect(Equalize1, &QAction::triggered, this, &TMDIChild::Equalize1Click);
    Contrast1 = AddSubMenu(Enhance1, "Contrast1", "Contrast",
                           "Enhances the intensity differences between the lighter and darker elements of the image");
    Increase1 = AddItem(Contrast1, "Increase1", "Increase", Contrast1->menuAction()->statusTip(), 1);
    Decrease1 = AddItem(Contrast1, "Decrease1", "Decrease", Contrast1->menuAction()->statusTip(), 0);
    connect(Contrast1, &QMenu::triggered, this, &TMDIChild::ContrastClick);
    Enhance2 = AddItem(Enhance1, "Enhance2", "Enhance", kEnhanceHint);
    connect(Enhance2, &QAction::triggered, this, &TMDIChild::Enhance2Click);
    Enhance1->addSeparator();
    Modulateandgammacorrect1 = AddItem(Enhance1, "Modulateandgammacorrect1", "Modulate and gamma correct...",
                                       "Control the brightness, saturation, hue and gamma-correct the image");
    connect(Modulateandgammacorrect1, &QAction::triggered, this, &TMDIChild::Modulateandgammacorrect1Click);
}
