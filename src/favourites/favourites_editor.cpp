#include "favourites/favourites_editor.h"

#include "common/click_label.h"
#include "common/text_field.h"
#include "platform/placement.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace favourites {

namespace {
// Row tops of the ten stations, in twips within the panel.
constexpr std::array<int, kSlots> kRowTops = {240,  626,  1012, 1398, 1784,
                                              2170, 2556, 2942, 3328, 3720};
} // namespace

FavouritesEditor::FavouritesEditor(QWidget* parent)
    : QGroupBox(tr("Favorites Manager :"), parent), Label21(new QLabel(tr("Station Name"), this)),
      Label43(new QLabel(tr("Stream URL"), this)),
      cmdSavefavs(new QPushButton(tr("Save List"), this)),
      Label31(new common::ClickLabel(tr("Close"), this)),
      cmdImport(new QPushButton(tr("Import…"), this)),
      cmdExport(new QPushButton(tr("Export…"), this)) {
    setObjectName("Frame3");
    setAccessibleName(title());
    // The panel's top edge carries its caption; the controls start below it.
    const int captionTwips = 240;
    platform::place(Label21, 480, captionTwips + 0, 1215, 240);
    platform::place(Label43, 3120, captionTwips + 0, 1095, 240);
    for (int i = 0; i < kSlots; ++i) {
        txtStaname[i] = new QLineEdit(this);
        txtStaname[i]->setObjectName(QStringLiteral("txtStaname%1").arg(i));
        txtStaname[i]->setAccessibleName(tr("Station name %1").arg(i + 1));
        platform::place(txtStaname[i], 120, captionTwips + kRowTops[i], 2055, 325);
        txtStaurl[i] = new QLineEdit(this);
        txtStaurl[i]->setObjectName(QStringLiteral("txtStaurl%1").arg(i));
        txtStaurl[i]->setAccessibleName(tr("Stream URL %1").arg(i + 1));
        platform::place(txtStaurl[i], 2280, captionTwips + kRowTops[i], 3015, 325);
    }
    cmdSavefavs->setObjectName("cmdSavefavs");
    cmdSavefavs->setAccessibleName(cmdSavefavs->text());
    Label31->setObjectName("Label31");
    QFont underlined = Label31->font();
    underlined.setUnderline(true);
    Label31->setFont(underlined);
    platform::place(cmdSavefavs, 3840, captionTwips + 4200, 1455, 405);
    platform::place(Label31, 3000, captionTwips + 4260, 495, 255);

    // The playlist buttons share Save List's row, left of "Close".
    auto* importMenu = new QMenu(cmdImport);
    mnuImportFile = importMenu->addAction(tr("From a File…"));
    mnuImportAddress = importMenu->addAction(tr("From an Address…"));
    cmdImport->setMenu(importMenu);
    cmdImport->setObjectName("cmdImport");
    cmdImport->setAccessibleName(tr("Import favorites from a playlist"));
    cmdExport->setObjectName("cmdExport");
    cmdExport->setAccessibleName(tr("Export favorites to a playlist"));
    platform::place(cmdImport, 120, captionTwips + 4200, 1335, 405);
    platform::place(cmdExport, 1560, captionTwips + 4200, 1215, 405);

    // Tab order follows the file: the ten names, the ten addresses, then Save List.
    QWidget* previous = txtStaname[0];
    for (int i = 1; i < kSlots; ++i) {
        setTabOrder(previous, txtStaname[i]);
        previous = txtStaname[i];
    }
    for (int i = 0; i < kSlots; ++i) {
        setTabOrder(previous, txtStaurl[i]);
        previous = txtStaurl[i];
    }
    setTabOrder(previous, cmdSavefavs);
    setTabOrder(cmdSavefavs, Label31);
    setTabOrder(Label31, cmdImport);
    setTabOrder(cmdImport, cmdExport);
}

Slots FavouritesEditor::stations() const {
    Slots s;
    for (int i = 0; i < kSlots; ++i)
        s[i] = {txtStaname[i]->text(), txtStaurl[i]->text()};
    return s;
}

void FavouritesEditor::setNames(const Slots& s) {
    for (int i = 0; i < kSlots; ++i)
        common::showText(txtStaname[i], s[i].name);
}

void FavouritesEditor::setUrls(const Slots& s) {
    for (int i = 0; i < kSlots; ++i)
        common::showText(txtStaurl[i], s[i].url);
}

void FavouritesEditor::fillSlot(int slot, const QString& name, const QString& url) {
    if (slot < 0 || slot >= kSlots)
        return;
    common::showText(txtStaname[slot], name);
    common::showText(txtStaurl[slot], url);
}

} // namespace favourites
