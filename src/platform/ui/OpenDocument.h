#pragma once
#include <QString>

// Opens a web address or a local file with the desktop's handler; false
// when the desktop refused.
bool OpenDocument(const QString& address);
