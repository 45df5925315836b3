#pragma once
#include <QString>

// Why a local file named by address cannot be opened, as a shell-execute
// code: 2 when the file does not exist, 3 when its folder does not either;
// 0 when it is there or the address is no local file.
int MissingLocalFileResult(const QString& address);

// Opens a web address or a local file with the desktop's handler. The
// result is a shell-execute code: above 32 when it was handed over; 2 or 3
// for a missing local file (above); 31 when the desktop has no handler.
int OpenDocumentResult(const QString& address);

// The same, as a yes or no.
inline bool OpenDocument(const QString& address) { return OpenDocumentResult(address) > 32; }
