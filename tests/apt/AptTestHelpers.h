#pragma once
#include "AptSignalGenerator.h"
#include "apt/APT.h"

#include <QString>
#include <string>
#include <vector>

namespace apttest {

// Writes a generated pass as a WAV file in the test's program folder.
QString WritePass(const aptgen::PassSpec& spec, const QString& name, int bits = 8);

// Decodes a whole audio file the way the processing thread does: one line
// allocated per row until the engine runs out of data. Returns the lines, or
// -1 when the file is refused.
int DecodeFile(TAPT& apt, const QString& path);

// Fills the engine's line store straight from the generator's words (after
// its gain curve), without modulation: telemetry and cache tests.
void FillLines(TAPT& apt, const aptgen::PassSpec& spec);

// A pass whose channel B carries NOAA 18 channel 4 values of a scene from
// 230 K (word 0) to 300 K (word 908), with the telemetry that calibration
// reads and a receiver gain curve that calibration has to undo. Channel A
// keeps the generator's pattern.
aptgen::PassSpec CalibratedPass(int lines);
// The scene temperature of a channel B video word (0..908).
double SceneKelvin(int word);

// Sync A high word pairs (4-5, 8-9, ..., 28-29) all above every low word of
// the sync area: the row is aligned.
bool SyncAligned(const double* row);

// One gzip member of text, as libdeflate writes it at that level.
std::vector<unsigned char> GzipMember(const std::string& text, int level);

}  // namespace apttest
