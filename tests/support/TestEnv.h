#pragma once
#include <QString>

// What every test process gets from the shared test main: a program folder
// and a registry file of its own, removed when the process ends.
namespace testenv {

// The temporary program folder ($ORVANTA_HOME), with a trailing '/'.
QString ProgramDir();

// The reference data of ../shared/data, or an empty string when it is absent.
// Tests that need it call GTEST_SKIP() with the file's name.
QString SharedDataPath(const QString& relative);

// A small fixture of tests/data.
QString FixturePath(const QString& relative);

}  // namespace testenv
