#pragma once

#include <QString>

namespace platform {

// Window styles of a shell launch.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWNOACTIVATE = 4;

// Shell execution of a command line with a window style. The command line is the
// program's word ("notepad.exe" for a text file, "explorer" for a web address), one
// blank, then the argument taken whole (blanks included, never split or quoted).
// Returns at once; true when the launch was handed to the desktop. A launch that
// cannot be carried out returns false and does nothing else.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool execute(const QString& commandLine, int windowStyle) = 0;
};

} // namespace platform
