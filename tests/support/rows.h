#pragma once

#include <QDebug>
#include <QTest>

// QCOMPARE inside a loop over a local table: a failure also names the row it came from.
#define ROW_COMPARE(row, actual, expected)                                                                             \
    do {                                                                                                               \
        if (!QTest::qCompare(actual, expected, #actual, #expected, __FILE__, __LINE__)) {                              \
            qWarning().noquote().nospace() << "in row " << (row);                                                      \
            return;                                                                                                    \
        }                                                                                                              \
    } while (false)
