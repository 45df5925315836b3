#pragma once
// TMagickImage: an image control that loads a file of the program's image
// list through MagickCore and paints it, stretched or not (logo preview,
// look-up-table and open-dialog previews, feed images). It never throws; a
// failed load leaves it empty and, with ShowError set, says why in a box.
#include <QImage>
#include <QWidget>

class TMagickImage : public QWidget {
    Q_OBJECT
public:
    explicit TMagickImage(QWidget* parent = nullptr);

    QString FileName() const { return fileName_; }
    // Loads the name quietly unless it is empty or already shown.
    void SetFileName(const QString& name);

    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool ShowError() const { return showError_; }
    void SetShowError(bool value) { showError_ = value; }
    QColor Color() const { return color_; }
    void SetColor(const QColor& value);

    // Reads the file into the control; false on any failure, with a box when
    // showError (which ShowError keeps afterwards).
    bool LoadMagickImage(const QString& name, bool showError);
    // Reloads FileName from disk, quietly.
    void Update();
    // Empties the control and FileName.
    void Clear();

    // The loaded picture (null when empty); valid until the next load or Clear.
    const QImage& GetBitmap() const { return bitmap_; }

    // The control's own caption: the first line of its error box (empty
    // unless a window gives it one).
    QString Caption;
    int ImageWidth() const { return imageWidth_; }
    int ImageHeight() const { return imageHeight_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetHintFor(const QString& name);
    void Box(const QString& text, const QString& caption) const;

    QString fileName_;
    QImage bitmap_;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
    bool stretch_ = true;
    bool showError_ = false;
    QColor color_{0, 128, 128};  // teal
};
