#include "links/mdl_extras.h"

#include "common/quoted_fields.h"
#include "links/frm_pindle.h"

namespace links::mdlExtras {

QString linksFilePath(const QString& dataFolder) {
    QString path = dataFolder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QStringLiteral("links.dat");
}

void LoadLinks(frmPindle& form) {
    form.setRecord(common::readQuotedFieldFile(linksFilePath(form.dataFolder()), kLinksFieldCount));
    form.setMenuCaptions();
}

QString SaveLinks(const frmPindle& form) {
    return common::saveFileAtomically(linksFilePath(form.dataFolder()),
                                      common::quotedFieldLine(form.record()));
}

} // namespace links::mdlExtras
