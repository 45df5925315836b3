// The image window's undo stack. Every image operation makes a new picture
// and pushes the old one here under the caption that undoes it; the picture
// is always owned by exactly one place: the window or one record.
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"

#include "imaging/MagickSupport.h"
#include "shell/ui/MainForm.h"

#include <QAction>
#include <QApplication>

bool TMDIChild::PushUndo(MagickImagePtr image, const QString& caption)
{
    if (!Image || !image)
        return false;
    if (UndoList.Count >= kMaxUndo) {
        auto* oldest = static_cast<TUndo*>(UndoList.First());
        UndoList.Remove(oldest);
        oldest->ReleaseImage();
        delete oldest;
    }
    UndoList.Add(new TUndo(std::move(Image), caption));
    Undo->setText(caption);
    Image = std::move(image);

    const bool shown = RedrawImage();
    ShowImageError(Exception.get());
    // The picture has changed even when it could not be shown: closing
    // must still offer to save it.
    Flags |= mcModified;
    Flags &= ~mcLive;
    UpdateUndoMenu();
    if (MainForm)
        MainForm->UpdateFileCommands(this, true);
    return shown;
}

bool TMDIChild::RedrawImage()
{
    DisplayBitmap = QImage();
    QImage picture = MagickToQImage(Image.get(), Exception.get());
    if (!picture.isNull())
        DisplayBitmap = picture.convertToFormat(QImage::Format_RGB32);
    UpdateScrollRange();
    pb->update();
    return !DisplayBitmap.isNull();
}

void TMDIChild::UndoClick()
{
    if (!IsEditable() || UndoList.Count == 0)
        return;
    auto* newest = static_cast<TUndo*>(UndoList.Last());
    if (!newest->Image)
        return;
    QApplication::processEvents();
    WaitCursor busy;
    Image = std::move(newest->Image);
    UndoList.Remove(newest);
    delete newest;
    RedrawImage();
    ShowImageError(Exception.get());
    if (UndoList.Count == 0)
        Flags &= ~mcModified;
    FormActivate();
}

void TMDIChild::ClearundolistClick(QObject* sender)
{
    while (UndoList.Count > 0) {
        auto* newest = static_cast<TUndo*>(UndoList.Last());
        UndoList.Remove(newest);
        newest->ReleaseImage();
        delete newest;
    }
    if (!sender)
        return;
    UpdateUndoMenu();
    Flags &= ~mcModified;
    if (MainForm)
        MainForm->UpdateFileCommands(this, true);
}

void TMDIChild::UpdateUndoMenu()
{
    const auto* newest = static_cast<const TUndo*>(UndoList.Last());
    const QString text = newest ? newest->Caption : QString("Undo");
    Undo->setText(text);
    Undo->setStatusTip(text);
    Undo->setToolTip(text);
    Undo->setEnabled(newest != nullptr);
    Clearundolist->setEnabled(newest != nullptr);
    if (MainForm) {
        MainForm->UndoBtn->setToolTip(text);
        MainForm->UndoBtn->setStatusTip(text);
        MainForm->UndoBtn->setEnabled(newest != nullptr);
    }
}
