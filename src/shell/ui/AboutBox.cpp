#include "shell/ui/AboutBox.h"

#include "platform/CNumbers.h"
#include "shell/TextHelpers.h"
#include "shell/ui/Pictures.h"
#include "shell/ui/ShellHelpers.h"
#include "shell/ui/URLLabel.h"

#include <magick/MagickCore.h>
#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <sys/sysinfo.h>

TAboutBox* AboutBox = nullptr;

namespace {

QLabel* Bold(QWidget* parent)
{
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QWidget* Credit(QWidget* parent, const QString& what, const QString& url)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(what, row));
    auto* link = new TURLLabel(row);
    link->setText(url);
    layout->addWidget(link);
    layout->addStretch();
    return row;
}

const char kHistory[] =
    "0.1\n"
    "- Predicts the passes of the NOAA APT satellites over the ground station\n"
    "  and follows the next one, tuning the receiver over a serial link.\n"
    "- Records a pass from the sound input and decodes it into a calibrated\n"
    "  image window: channel, false-colour and temperature views, colour\n"
    "  tables, saving in the usual image formats.\n"
    "- Keeps a daily web log with an RSS feed and uploads it by FTP.\n"
    "- Downloads and keeps element sets.\n";

}  // namespace

QString FormatMemory(unsigned long long bytes)
{
    return QString::fromStdString(cnum::Format("%.3f kb", static_cast<double>(bytes) / 1024.0 / 1000.0));
}

bool ReadPhysicalMemory(unsigned long long& totalBytes, unsigned long long& availableBytes)
{
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return false;
    totalBytes = static_cast<unsigned long long>(info.totalram) * info.mem_unit;
    availableBytes = static_cast<unsigned long long>(info.freeram) * info.mem_unit;
    return true;
}

// A dialog border: the close box only, and a size that fits what it says.
TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      pages_(new QTabWidget(this))
{
    setWindowTitle("About");
    setMinimumSize(414, 400);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(pages_);

    auto* first = new QWidget(pages_);
    auto* firstLayout = new QVBoxLayout(first);
    auto* picture = new QLabel(first);
    picture->setPixmap(MakeBackgroundPicture().scaled(180, 130, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* title = Bold(first);
    title->setText("Orvanta");
    QFont big = title->font();
    big.setPointSize(18);
    title->setFont(big);
    Ver = Bold(first);
    auto* shortcut = new QPushButton("Create a desktop shortcut", first);
    shortcut->setObjectName("ShortCutSpeedBtn");
    shortcut->setFlat(true);
    connect(shortcut, &QPushButton::clicked, this, &TAboutBox::ShortCutSpeedBtnClick);
    Memo1 = new QPlainTextEdit(first);
    Memo1->setReadOnly(true);
    Memo1->setPlainText(kHistory);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    auto* titles = new QVBoxLayout;
    titles->addWidget(title);
    titles->addWidget(Ver);
    titles->addWidget(new QLabel("APT receiving station for the NOAA weather satellites", first));
    titles->addWidget(shortcut);
    top->addLayout(titles);
    firstLayout->addLayout(top);
    firstLayout->addWidget(new QLabel("Version history", first));
    firstLayout->addWidget(Memo1);
    pages_->addTab(first, "Orvanta");

    auto* system = new QWidget(pages_);
    auto* form = new QFormLayout(system);
    EXETS = Bold(system);
    form->addRow(EXETS);
    form->addRow(Credit(system, "Image library:", "https://imagemagick.org"));
    form->addRow(Credit(system, "Sound files:", "https://libsndfile.github.io/libsndfile/"));
    MagickVLabel = Bold(system);
    MagickURLLabel = new TURLLabel(system);
    form->addRow(MagickVLabel);
    form->addRow(MagickURLLabel);
    MemAvailLabel = Bold(system);
    StartMemLabel = Bold(system);
    MemNowLabel = Bold(system);
    form->addRow("Memory available:", MemAvailLabel);
    form->addRow("Memory on startup:", StartMemLabel);
    form->addRow("Memory now:", MemNowLabel);
    pages_->addTab(system, "System");

    if (!AboutBox)
        AboutBox = this;
    FormCreate();
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
}

void TAboutBox::FormCreate()
{
    const QString program = QCoreApplication::applicationFilePath();
    Ver->setText(GetFileVersionText(program));
    EXETS->setText(GetFileStampText(program));
    size_t ignored = 0;
    // The version of the library actually linked, not the one built against.
    MagickVLabel->setText(QString::fromLatin1(GetMagickVersion(&ignored)));
    MagickURLLabel->setText("https://imagemagick.org");
    unsigned long long total = 0, available = 0;
    if (ReadPhysicalMemory(total, available)) {
        MemAvailLabel->setText(FormatMemory(total));
        StartMemLabel->setText(FormatMemory(available));
    }
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    unsigned long long total = 0, available = 0;
    if (ReadPhysicalMemory(total, available))
        MemNowLabel->setText(FormatMemory(available));
}

void TAboutBox::ShortCutSpeedBtnClick()
{
    QApplication::processEvents();
    CreateDesktopShortcut(QCoreApplication::applicationFilePath());
}
