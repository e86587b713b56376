#pragma once

// The two whole files the save-loop helper writes in turn. They differ in length and in
// every byte, so any mixture of the two, a cut-short file or an empty one is told apart.

#include "common/quoted_fields.h"

#include <QByteArray>
#include <QStringList>

namespace faults {

inline QByteArray contentsOf(char letter, int fieldLength) {
    QStringList fields;
    for (int i = 0; i < 20; ++i)
        fields << QString(fieldLength, QLatin1Char(letter));
    return common::quotedFieldLine(fields);
}

inline QByteArray contentsA() {
    return contentsOf('a', 8000);
}
inline QByteArray contentsB() {
    return contentsOf('b', 13000);
}

} // namespace faults
