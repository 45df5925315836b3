#pragma once
// The 15-minute pass the decoding benchmarks read: 1800 lines with a little
// noise and a carrier 1.5 Hz off, written as an 8-bit WAV. It is generated in
// a child process, so that the generator's own buffers (about 80 MB of
// samples) do not count in the benchmark's peak memory.
#include "AptSignalGenerator.h"

#include <QString>
#include <sys/wait.h>
#include <unistd.h>

namespace benchpass {

inline constexpr int kPassLines = 1800;  // 15 minutes

// Writes the pass to file; the path, or empty when it could not be written.
inline QString WritePassFile(const QString& file)
{
    aptgen::PassSpec spec;
    spec.lines = kPassLines;
    spec.noise = 0.05;
    spec.carrierOffsetHz = 1.5;
    const pid_t child = fork();
    if (child == 0)
        _exit(aptgen::WriteWav(file.toStdString(), aptgen::Synthesize(spec), 8) ? 0 : 1);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QString();
    return file;
}

}  // namespace benchpass
