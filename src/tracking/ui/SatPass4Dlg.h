#pragma once
// "Select a suitable satellite for this wave": when several passes fit an
// opened recording, the user picks one. The list's items carry the candidate
// satellites (not owned: the identification owns them for the showing).
#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class TSat;

class TSatPass4Dlg : public QDialog {
    Q_OBJECT
public:
    explicit TSatPass4Dlg(QWidget* parent = nullptr);
    ~TSatPass4Dlg() override;

    // Lists the candidates (sorted by name); the first is selected on showing.
    void SetCandidates(const QList<QPair<QString, TSat*>>& candidates);
    // The first selected candidate, or null.
    TSat* SelectedSatellite() const;

    QListWidget* SatList;
    QLabel* FileTsLabel;
    QLabel* aos;
    QLabel* tca;
    QLabel* los;
    QLabel* dir;
    QLabel* tledate;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

public slots:
    void SatListClick();

protected:
    void showEvent(QShowEvent* event) override;  // FormShow
};

extern TSatPass4Dlg* SatPass4Dlg;
