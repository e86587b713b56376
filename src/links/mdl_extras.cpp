#include "links/mdl_extras.h"

#include "common/quoted_fields.h"
#include "common/remote_text.h"
#include "links/frm_pindle.h"
#include "links/links.h"

#include <QAction>
#include <QMenu>

namespace links::mdlExtras {

QString linksFilePath(const QString& dataFolder) {
    QString path = dataFolder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QStringLiteral("links.dat");
}

QStringList ReadLinks(const QString& dataFolder, QString* problem) {
    const common::DataFileRead read =
        common::readDataFile(linksFilePath(dataFolder), kLinksFieldCount);
    if (problem != nullptr)
        *problem = read.problem;
    QStringList record = read.fields;
    while (record.size() < kLinksFieldCount)
        record << QString();
    return record;
}

QString MenuCaption(const QString& name) {
    return common::menuCaption(common::cleanRemoteText(name));
}

void SetMenuCaptions(const LinksMenu& menu, const QStringList& record) {
    if (menu.mnuPstuff != nullptr)
        menu.mnuPstuff->setTitle(MenuCaption(record.value(0)));
    for (int i = 0; i < 5; ++i) {
        if (menu.entries[i] != nullptr)
            menu.entries[i]->setText(MenuCaption(record.value(1 + i)));
    }
}

void LoadLinks(frmPindle& form) {
    QString problem;
    form.setRecord(ReadLinks(form.dataFolder(), &problem));
    // Empty captions would take the links menu off the menu bar; the start-up message
    // has said why the file gave nothing.
    if (problem.isEmpty())
        form.setMenuCaptions();
}

QString SaveLinks(const frmPindle& form) {
    return common::saveFileAtomically(linksFilePath(form.dataFolder()),
                                      common::quotedFieldLine(form.record()));
}

} // namespace links::mdlExtras
