#pragma once
// The far end of a serial line for tests: a pseudo-terminal pair whose
// terminal side the program opens as its COM port, while a thread here reads
// what the program sends on the master side and writes the answers the
// handler gives. Without a handler it is a byte sink that only records.
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

struct TLineAnswer {
    int pauseMs = 0;   // before the bytes are sent
    QByteArray bytes;  // nothing: no answer
    bool hangUp = false;  // then close the line, as a pulled cable would
};

class TPtyLine {
public:
    using THandler = std::function<TLineAnswer(char received)>;

    explicit TPtyLine(THandler handler = {});
    ~TPtyLine();  // hangs up
    TPtyLine(const TPtyLine&) = delete;
    TPtyLine& operator=(const TPtyLine&) = delete;

    // The device the program opens, for example /dev/pts/4.
    QString Terminal() const { return terminal_; }
    // Makes the program's COM<port> this line (through ORVANTA_COMn).
    void MapToPort(int port) const;
    // Every byte the program sent so far, in order.
    QByteArray Received();
    // Waits up to timeoutMs until at least count bytes came.
    bool WaitForReceived(int count, int timeoutMs);
    // Sends bytes unasked.
    void Send(const QByteArray& bytes);
    // Sends one byte every everyMs until stopped (0 stops): a line that
    // never falls silent.
    void Babble(char byte, int everyMs);
    // Closes the master side: the line disappears under the program.
    void HangUp();

private:
    void Run();

    THandler handler_;
    std::atomic<int> master_{-1};
    QString terminal_;
    std::mutex mutex_;
    QByteArray received_;  // guarded by mutex_
    std::atomic<int> babbleEveryMs_{0};
    std::atomic<char> babbleByte_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
