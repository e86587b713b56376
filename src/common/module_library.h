#pragma once

#include <QFunctionPointer>
#include <QString>

namespace common {

// Loads the module file `fileName` from `folder` (by default the folder of the program
// file) and finds the C function `symbol` in it. Returns null and says why in *error when
// either fails. A module, once loaded, stays loaded for the life of the process: the
// objects it makes may outlive any one caller.
QFunctionPointer moduleFunction(const QString& fileName, const QString& folder, const char* symbol,
                                QString* error);

} // namespace common
