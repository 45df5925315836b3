#pragma once
// Starts a peer server object (Start(...) returns "" or why not, Missing()
// tells a program that is not installed): the test is skipped when the
// program cannot run here and fails when it does not come up.
#define START_PEER(server, program, ...)                                                 \
    do {                                                                                 \
        const QString problem = (server).Start(__VA_ARGS__);                            \
        if (!problem.isEmpty()) {                                                        \
            if ((server).Missing())                                                      \
                GTEST_SKIP() << program " cannot run here: " << problem.toStdString();   \
            FAIL() << problem.toStdString();                                             \
        }                                                                                \
    } while (0)
