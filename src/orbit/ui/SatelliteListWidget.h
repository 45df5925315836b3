#pragma once
// The satellite lists of the catalogue dialogs: sorted by name, each item
// carrying its satellite (not owned).
#include <QListWidget>

class PList;
class TSat;

// Refills list with the satellites of catalogue in group ("Show all" when
// showAll), sorted by name.
void FillSatelliteList(QListWidget* list, PList* catalogue, bool showAll, const QString& group);
TSat* SatelliteOf(const QListWidgetItem* item);
