#pragma once
// The check every dialog that names a group makes before the name can reach
// the satellite database.
#include <QString>

class QWidget;

// True when the database can hold name; otherwise shows why in a box over
// parent and returns false.
bool AcceptGroupName(QWidget* parent, const QString& name);
