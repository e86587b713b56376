#include "platform/web/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform {

bool QtShell::execute(const QString& commandLine, int /*windowStyle*/) {
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    if (blank <= 0)
        return false;
    const QString program = commandLine.left(blank);
    const QString argument = commandLine.mid(blank + 1);

    if (program.compare(QLatin1String("notepad.exe"), Qt::CaseInsensitive) == 0 ||
        program.compare(QLatin1String("notepad"), Qt::CaseInsensitive) == 0) {
        // The desktop's opener reports a missing file nowhere the user would see it.
        const QFileInfo file(argument);
        if (!file.isFile())
            return false;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
    }

    if (program.compare(QLatin1String("explorer"), Qt::CaseInsensitive) == 0 ||
        program.compare(QLatin1String("explorer.exe"), Qt::CaseInsensitive) == 0) {
        // Only web pages: a local file or another scheme could start a program.
        const QUrl url(argument, QUrl::TolerantMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || url.host().isEmpty() ||
            (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
            return false;
        return QDesktopServices::openUrl(url);
    }
    return false;
}

} // namespace platform
