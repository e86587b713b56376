#include "app/side_panels.h"

#include "app/main_panel.h"
#include "app/main_window_controls.h"
#include "app/startup_options_panel.h"
#include "common/remote_text.h"
#include "favourites/favourites_editor.h"
#include "platform/media_player.h"
#include "platform/twips.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

namespace app {

SidePanels::SidePanels(QMainWindow& window, MainWindowControls& controls,
                       platform::MediaPlayer& player)
    : window_(window), controls_(controls), player_(player) {}

void SidePanels::setWidthTwips(int twips) {
    window_.resize(platform::twipsToPixels(twips), window_.height());
}

void SidePanels::closeSidePanel() {
    setWidthTwips(kClosedWidth);
    controls_.mnuStartops->setChecked(false);
    controls_.mnuFavslist->setChecked(false);
}

void SidePanels::closeAfterSavingFavourites() {
    setWidthTwips(kClosedWidth);
    controls_.mnuFavslist->setChecked(false);
}

void SidePanels::toggleStartupOptions() {
    MainWindowControls& c = controls_;
    if (!c.mnuStartops->isChecked()) {
        c.mnuStartops->setChecked(true);
        c.mnuFavslist->setChecked(false);
        c.Frame3->hide();
        setWidthTwips(kOpenWidth);
        c.Frame4->show();
    } else {
        c.mnuStartops->setChecked(false);
        setWidthTwips(kClosedWidth);
        c.Frame4->hide();
    }
}

void SidePanels::toggleFavouritesList() {
    MainWindowControls& c = controls_;
    if (!c.mnuFavslist->isChecked()) {
        c.mnuFavslist->setChecked(true);
        c.mnuStartops->setChecked(false);
        c.Frame3->show();
        c.Frame4->hide();
        setWidthTwips(kOpenWidth);
        c.Frame3->cmdSavefavs->setEnabled(true);
    } else {
        c.mnuFavslist->setChecked(false);
        setWidthTwips(kClosedWidth);
        c.Frame3->hide();
        c.Frame3->cmdSavefavs->setEnabled(false);
    }
}

void SidePanels::showStatusView() {
    MainWindowControls& c = controls_;
    c.Label32->setText(common::cleanRemoteText(player_.status()));
    c.Label32->show();
    c.Frame5->hide();
}

void SidePanels::toggleStatusView() {
    MainWindowControls& c = controls_;
    if (c.mnuSinfo->isChecked()) {
        c.mnuSinfo->setChecked(false);
        c.Label32->hide();
        c.Frame5->show();
        c.Label32->setText(common::cleanRemoteText(player_.status()));
    } else {
        c.mnuSinfo->setChecked(true);
        c.Label32->show();
        c.Frame5->hide();
    }
}

} // namespace app
