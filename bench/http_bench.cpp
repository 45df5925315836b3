// Download speed of the HTTP client: a GET of a generated document from a
// loopback server into a file, the body sent plainly or chunked, reported
// in MB/s with the process's peak memory. The server makes the document
// block by block, so that neither side needs it whole: the peak must not
// grow with the document's size (8 MB and 64 MB are measured).
#include "net/HttpCli.h"
#include "support/LoopbackPeer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kBlockBytes = 65536;
constexpr int kChunkBytes = 16384;

// Serves one GET: the document of size bytes, plain with its length or in
// chunks of kChunkBytes.
nettest::Session Serve(qint64 size, bool chunked)
{
    return [size, chunked](int fd) {
        nettest::ReadUntil(fd, "\r\n\r\n");
        nettest::WriteAll(fd, chunked ? QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
                                      : "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(size) + "\r\n\r\n");
        const QByteArray block(kBlockBytes, 'x');
        for (qint64 sent = 0; sent < size;) {
            const int n = static_cast<int>(std::min<qint64>(chunked ? kChunkBytes : kBlockBytes, size - sent));
            if (chunked)
                nettest::WriteAll(fd, QByteArray::number(n, 16) + "\r\n" + block.left(n) + "\r\n");
            else
                nettest::WriteAll(fd, block.left(n));
            sent += n;
        }
        if (chunked)
            nettest::WriteAll(fd, "0\r\n\r\n");
    };
}

long PeakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_GetIntoFile(benchmark::State& state)
{
    const qint64 size = state.range(0) << 20;
    const bool chunked = state.range(1) != 0;
    QTemporaryDir dir;
    for (auto _ : state) {
        nettest::TcpPeer peer(Serve(size, chunked));
        THttpCli http;
        http.URL = QStringLiteral("http://127.0.0.1:%1/doc.bin").arg(peer.Port());
        std::unique_ptr<TFileStream> file;
        http.OnDocBegin = [&](THttpCli* h) {
            file = std::make_unique<TFileStream>(dir.filePath(h->DocumentName), TFileStream::fmCreate);
            h->ReceiveStream = file.get();
        };
        http.OnDocEnd = [&](THttpCli* h) { h->ReceiveStream = nullptr; };
        if (http.Get() != 200 || !file || file->Size() != size) {
            state.SkipWithError("the document did not arrive whole");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["peak_MB"] = static_cast<double>(PeakKb()) / 1024.0;
}

}  // namespace

// Plain and chunked; 8 MB first, so that the 64 MB run's peak shows any growth.
BENCHMARK(BM_GetIntoFile)->Args({8, 0})->Args({64, 0})->Args({8, 1})->Args({64, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // the client's messages need an event dispatcher
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
