#pragma once
// Starts a peer server object (Start(...) returns "" or why not, Missing()
// tells a program that is not installed): the test is skipped when the
// program cannot run here (failed under CI, see SKIP_MISSING) and fails when
// it does not come up.
#include "support/TestEnv.h"

#define START_PEER(server, program, ...)                                                 \
    do {                                                                                 \
        const QString problem = (server).Start(__VA_ARGS__);                            \
        if (!problem.isEmpty()) {                                                        \
            if ((server).Missing())                                                      \
                SKIP_MISSING(program " cannot run here: " << problem.toStdString());     \
            FAIL() << problem.toStdString();                                             \
        }                                                                                \
    } while (0)
