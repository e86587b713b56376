#pragma once

#include "platform/shell.h"

namespace platform {

// Carries out the program's two command lines with the desktop's own programs, without
// any command interpreter: the argument is never split, expanded or run.
//   "notepad.exe <path>"   opens an existing file in the desktop's text editor
//   "explorer <address>"   opens an http or https address in the desktop's web browser
// The program word is compared without regard to case. Anything else, a missing file,
// another kind of address, or a desktop that cannot open it returns false. The window
// style cannot be passed on to the desktop's programs and is ignored.
class QtShell final : public Shell {
public:
    bool execute(const QString& commandLine, int windowStyle) override;
};

} // namespace platform
