#pragma once
#include <QString>

// Opens a web address or a local file with the desktop's handler. The
// result is a shell-execute code: above 32 when it was handed over; 2 for a
// local file that does not exist, 3 when its folder does not either; 31 when
// the desktop has no handler for it.
int OpenDocumentResult(const QString& address);

// The same, as a yes or no.
inline bool OpenDocument(const QString& address) { return OpenDocumentResult(address) > 32; }
