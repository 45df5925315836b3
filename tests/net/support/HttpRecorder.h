#pragma once
// Records what an HTTP client's owner sees: the document events in order,
// each document's bytes (a memory stream made at OnDocBegin, as the
// program's windows make a file there), the states passed and the status
// at each document's end.
#include "net/HttpCli.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace nettest {

struct HttpRecorder {
    QStringList events;  // "header end", "doc begin", "doc end", "location"
    QList<THttpState> states;
    std::vector<std::unique_ptr<TMemoryStream>> documents;
    QList<int> statusAtDocEnd;
    QStringList namesAtDocBegin;
    int requestsDone = 0;
    int lastRequestError = -1;

    void Attach(THttpCli& http)
    {
        http.OnHeaderEnd = [this](THttpCli*) { events << "header end"; };
        http.OnDocBegin = [this](THttpCli* h) {
            events << "doc begin";
            namesAtDocBegin << h->DocumentName;
            documents.push_back(std::make_unique<TMemoryStream>());
            h->ReceiveStream = documents.back().get();
        };
        http.OnDocEnd = [this](THttpCli* h) {
            events << "doc end";
            statusAtDocEnd << h->ResponseCode;
            h->ReceiveStream = nullptr;
        };
        http.OnLocationChange = [this](THttpCli*) { events << "location"; };
        http.OnStateChange = [this](THttpCli* h) { states << h->HttpState(); };
        http.OnRequestDone = [this](THttpCli*, THttpRequest, int error) {
            ++requestsDone;
            lastRequestError = error;
        };
    }
    // The bytes of the last document ("" when none came).
    QByteArray LastBody() const { return documents.empty() ? QByteArray() : documents.back()->Bytes(); }
};

// Runs the blocking GET: the status, or the exception's code with its text.
struct GetResult {
    int code = 0;
    bool raised = false;
    QString text;
};
inline GetResult RunGet(THttpCli& http)
{
    GetResult r;
    try {
        r.code = http.Get();
        r.text = http.ResponseText;
    } catch (const EHttpException& e) {
        r.raised = true;
        r.code = e.ErrorCode;
        r.text = e.Message();
    }
    return r;
}

// The Last-Modified value of the reply's header, "" when it has none.
inline QString LastModified(const THttpCli& http)
{
    for (const QString& line : http.ResponseHeaders)
        if (line.toUpper().startsWith("LAST-MODIFIED:"))
            return line.mid(14).trimmed();
    return {};
}

}  // namespace nettest
