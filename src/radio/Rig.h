#pragma once
// TRig: the receiver link, one owned by the main window. What the settings
// keep of it: the serial port, the baud-rate index and the receiver model.

// The models, in the order of the model list "R2FX", "RIG RX-2",
// "ICOM PCR1000", "EMGO".
enum TRigModel : int { RigR2FX = 0, RigRX2 = 1, RigPCR1000 = 2, RigEMGO = 3 };

class TRig {
public:
    int Port = 1;      // COM port number, 1 = COM1; 0 or less: none chosen
    int BaudRate = 3;  // index into 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200,
                       // 38400, 56000, 57600, 115200, 128000, 256000 bit/s
    int Radio = RigR2FX;  // TRigModel

    // The usual baud index of the model in Radio: 3 (1200 bit/s) for the
    // R2FX, RX-2 and EMGO, 6 (9600 bit/s) for the PCR1000; BaudRate for any
    // other model number.
    int GetDefaultBaudRate() const;
};
