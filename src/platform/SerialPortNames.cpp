#include "platform/SerialPortNames.h"

#include "platform/CNumbers.h"

bool SerialDeviceForPort(const QString& portName, QString& device, QString& error)
{
    const QString name = portName.trimmed();
    if (name.startsWith('/')) {
        device = name;
        return true;
    }
    long long number = 0;
    const QByteArray digits = name.mid(3).toLatin1();
    if (!name.startsWith("COM", Qt::CaseInsensitive) ||
        !cnum::TryParseInt(std::string_view(digits.constData(), digits.size()), number) || number < 1 ||
        number > 256 || !name.mid(3).front().isDigit()) {
        error = QString("\"%1\" is not a serial port name (COM1 to COM256, or a device path)").arg(portName);
        return false;
    }
    const QString mapped = qEnvironmentVariable(QString("ORVANTA_COM%1").arg(number).toLatin1().constData()).trimmed();
    device = mapped.isEmpty() ? QString("/dev/ttyS%1").arg(number - 1) : mapped;
    return true;
}
