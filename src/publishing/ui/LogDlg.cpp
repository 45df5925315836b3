#include "publishing/ui/LogDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

TLogDlg* LogDlg = nullptr;

TLogDlg::TLogDlg(QWidget* parent) : QDialog(parent)
{
    BuildForm();
    if (!LogDlg)
        LogDlg = this;
}

TLogDlg::~TLogDlg()
{
    if (LogDlg == this)
        LogDlg = nullptr;
}

void TLogDlg::BuildForm()
{
    setObjectName("LogDlg");
    setWindowTitle("Log options");
    setFixedSize(320, 162);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 320, 130);
    GroupBox1 = new QGroupBox(" Action ", Panel1);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(10, 10, 185, 85);
    NewLog = new QRadioButton("Create new", GroupBox1);
    NewLog->setObjectName("NewLog");
    NewLog->setGeometry(12, 20, 160, 20);
    NewLog->setChecked(true);
    AppendLog = new QRadioButton("Add to existing", GroupBox1);
    AppendLog->setObjectName("AppendLog");
    AppendLog->setGeometry(12, 40, 160, 20);
    UploadLog = new QCheckBox("Upload to server", GroupBox1);
    UploadLog->setObjectName("UploadLog");
    UploadLog->setGeometry(12, 60, 160, 20);
    RetryBtn = new QPushButton("Retry upload", Panel1);
    RetryBtn->setObjectName("RetryBtn");
    RetryBtn->setGeometry(205, 16, 105, 25);
    UploadAllBtn = new QPushButton("Upload all files", Panel1);
    UploadAllBtn->setObjectName("UploadAllBtn");
    UploadAllBtn->setGeometry(205, 50, 105, 25);
    for (QPushButton* button : {RetryBtn, UploadAllBtn})
        button->setAutoDefault(false);

    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    Panel2->setGeometry(0, 130, 320, 32);
    OKBtn = new QPushButton("OK", Panel2);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    OKBtn->setGeometry(154, 3, 75, 25);
    CancelBtn = new QPushButton("Cancel", Panel2);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(236, 3, 75, 25);

    connect(RetryBtn, &QPushButton::clicked, this, &TLogDlg::RetryBtnClick);
    connect(UploadAllBtn, &QPushButton::clicked, this, &TLogDlg::UploadAllBtnClick);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TLogDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TLogDlg::FormShow()
{
    Action = 0;
}

void TLogDlg::RetryBtnClick()
{
    Action = laRetry;
    accept();
}

void TLogDlg::UploadAllBtnClick()
{
    Action = laUploadAll;
    accept();
}

int TLogDlg::GetAction()
{
    Action = (NewLog->isChecked() ? laNewLog : laAppendLog) | (UploadLog->isChecked() ? laUpload : 0);
    return Action;
}
