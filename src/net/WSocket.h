#pragma once
// The socket component every network exchange of the program uses:
// TCustomWSocket > TCustomSocksWSocket > TCustomLineWSocket >
// TCustomSyncWSocket > TWSocket.
#include "net/SyncWSocket.h"

class TWSocket : public TCustomSyncWSocket {};

class TSocksWSocket : public TWSocket {};
