#include "about/about.h"

#include "about/frm_about.h"

namespace about {

About::About(platform::Shell& shell, QString communityHost, platform::MessageBox* messages)
    : shell_(shell), communityHost_(std::move(communityHost)), messages_(messages) {}

About::~About() {
    delete dialog_.data();
}

frmAbout* About::dialog() const {
    return dialog_.data();
}

void About::mnuAbout_Click(QWidget* owner) {
    if (dialog_ == nullptr) {
        // No parent: the dialog outlives a closed main window, as any other window of
        // the program does, and the program ends only when it too is closed.
        auto* dialog = new frmAbout(shell_, communityHost_, messages_, owner);
        QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog] {
            if (dialog_ == dialog)
                dialog_ = nullptr;
        });
        dialog_ = dialog;
        dialog->Form_Load();
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

} // namespace about
