#pragma once
#include <QString>
#include <gtest/gtest.h>
#include <sstream>

// What every test process gets from the shared test main: a program folder
// and a registry file of its own, removed when the process ends.
namespace testenv {

// The temporary program folder ($ORVANTA_HOME), with a trailing '/'.
QString ProgramDir();

// The reference data of ../shared/data, or an empty string when it is absent.
// Tests that need it call SKIP_MISSING with the file's name.
QString SharedDataPath(const QString& relative);

// True under CI (CI=true), where scripts/test.sh has installed every peer
// program, locale, font and data file a test needs.
bool MissingIsFailure();

// A small fixture of tests/data.
QString FixturePath(const QString& relative);

}  // namespace testenv

// A test that cannot run because the machine lacks a peer program, a locale,
// a font or a data file: skipped on a developer's machine, failed under CI.
// The reason is streamed: SKIP_MISSING("no " << name).
#define SKIP_MISSING(reason)                                                              \
    do {                                                                                  \
        std::ostringstream missingReason_;                                                \
        missingReason_ << reason;                                                         \
        if (testenv::MissingIsFailure())                                                  \
            GTEST_FAIL() << missingReason_.str() << " (under CI everything is installed)"; \
        GTEST_SKIP() << missingReason_.str();                                             \
    } while (false)
