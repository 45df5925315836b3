#pragma once
// Records a component's events as short texts, in order, so a test can
// compare the whole sequence the user's handlers saw.
#include "net/WSocket.h"

#include <QStringList>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace nettest {

inline const char* StateName(TSocketState s)
{
    static const char* const names[] = {"invalid", "opened", "bound", "connecting", "socksconnected",
                                        "connected", "accepting", "listening", "closed"};
    return names[s];
}

struct EventLog {
    QStringList events;
    QByteArray data;  // what OnDataAvailable read, when asked to read

    void Attach(TCustomWSocket& s, bool readData = true)
    {
        s.OnChangeState = [this](TCustomWSocket*, TSocketState from, TSocketState to) {
            events << QStringLiteral("state %1>%2").arg(StateName(from), StateName(to));
        };
        s.OnSessionConnected = [this](TCustomWSocket*, int e) { events << QStringLiteral("connected %1").arg(e); };
        s.OnSessionClosed = [this](TCustomWSocket*, int e) { events << QStringLiteral("closed %1").arg(e); };
        s.OnDataSent = [this](TCustomWSocket*, int e) { events << QStringLiteral("sent %1").arg(e); };
        if (readData)
            s.OnDataAvailable = [this](TCustomWSocket* sender, int) {
                char buffer[8192];
                const int n = sender->Receive(buffer, sizeof buffer);
                if (n > 0)
                    data.append(buffer, n);
                events << QStringLiteral("data %1").arg(n);
            };
    }
    int Count(const QString& event) const { return static_cast<int>(events.count(event)); }
    // The events without the "data" ones (their number depends on timing).
    QStringList WithoutData() const { return Without("data"); }
    QStringList Without(const QString& prefix) const
    {
        QStringList rest;
        for (const auto& e : events)
            if (!e.startsWith(prefix))
                rest << e;
        return rest;
    }
};

}  // namespace nettest
