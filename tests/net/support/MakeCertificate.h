#pragma once
// Makes a test certificate inside a test: skipped when openssl is not
// installed (failed under CI), failed when it cannot be made.
#include "support/TestCertificate.h"
#include "support/TestEnv.h"

#define MAKE_CERTIFICATE(cert, altNames)                                                  \
    do {                                                                                  \
        const QString problem = (cert).Make(altNames);                                    \
        if (!problem.isEmpty()) {                                                         \
            if ((cert).Missing())                                                         \
                SKIP_MISSING(problem.toStdString());                                      \
            FAIL() << problem.toStdString();                                              \
        }                                                                                 \
    } while (0)
