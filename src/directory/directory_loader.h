#pragma once

#include "directory/directory_client.h"

#include <QString>
#include <functional>
#include <memory>

namespace directory {

// A maker that loads the korvant_directory module from `folder` (by default the folder of
// the program file) and makes its client with the given servers (see directory_module.h).
// The module is loaded when the maker is first called, and never unloaded.
ClientMaker clientFromModule(QString servers, QString userAgent, QString folder = {});

} // namespace directory
