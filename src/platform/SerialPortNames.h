#pragma once
// Serial ports are named as on Windows ("COM1") and mapped to a device:
// COMn is ORVANTA_COMn when that names a device (for example /dev/ttyUSB0 or
// a pseudo-terminal), else /dev/ttyS<n-1>. A name that is already an
// absolute path is used as it is.
#include <QString>

// False, with the reason in error, for a name that is neither COM1..COM256
// nor an absolute path.
bool SerialDeviceForPort(const QString& portName, QString& device, QString& error);
