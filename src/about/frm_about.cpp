#include "about/frm_about.h"

#include "common/click_label.h"
#include "platform/message_box.h"
#include "platform/placement.h"
#include "platform/shell.h"
#include "platform/twips.h"

#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace about {

namespace {

const QString kTitle = QStringLiteral("Korvant Lite");
constexpr int kMajor = KORVANT_VERSION_MAJOR;
constexpr int kMinor = KORVANT_VERSION_MINOR;
constexpr int kRevision = KORVANT_VERSION_PATCH;

// The program's icon from the program's resources when it has them, else a stock one.
QIcon programIcon() {
    QIcon icon(QStringLiteral(":/korvant.png"));
    if (icon.availableSizes().isEmpty())
        icon = QApplication::style()->standardIcon(QStyle::SP_MediaVolume);
    return icon;
}

} // namespace

frmAbout::frmAbout(platform::Shell& shell, QString communityHost, platform::MessageBox* messages,
                   QWidget* owner)
    : QDialog(nullptr), shell_(shell), communityHost_(std::move(communityHost)),
      messages_(messages) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    const QIcon icon = programIcon();
    setWindowIcon(icon);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(icon.pixmap(32, 32));
    picIcon->setAccessibleName(tr("Program icon"));
    picIcon->setGeometry(platform::twipsRect(240, 240, 480, 480));

    lblTitle = new QLabel(tr("Application Title"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = new QLabel(tr("Version"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblDescription = new QLabel(
        QStringLiteral(
            "App Description: This is the lite version, as it includes no database and only "
            "10 favorite stations and one extra as default favorite. The links are still "
            "customizable as is the top banner. You are free to \"Brand\" for your personal "
            "or station needs. with the exception of what resides below."),
        this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QRect descriptionRect = platform::twipsRect(1050, 1125, 3885, 1170);
    const int descriptionHeight =
        std::max(descriptionRect.height(), lblDescription->heightForWidth(descriptionRect.width()));
    lblDescription->setGeometry(descriptionRect.x(), descriptionRect.y(), descriptionRect.width(),
                                descriptionHeight);
    // Whatever the description needs beyond its designed height pushes the rest down.
    const int extra = descriptionHeight - descriptionRect.height();
    const int extraTwips = platform::pixelsToTwips(extra);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(platform::twipsRect(105, 2445 + extraTwips, 5520, 30));

    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    platform::place(cmdOK, 4080, 2760 + extraTwips, 1260, 375);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(icon.pixmap(24, 24));
    Image1->setAccessibleName(tr("Community site picture"));
    Image1->setGeometry(platform::twipsRect(600, 2760 + extraTwips, 360, 360));

    Label42 = new QLabel(tr("Provided by:"), this);
    Label42->setObjectName(QStringLiteral("Label42"));
    platform::place(Label42, 960, 2880 + extraTwips, 1035, 255);

    Label41 = new common::ClickLabel(communityHost_, this);
    Label41->setObjectName(QStringLiteral("Label41"));
    Label41->setAccessibleName(tr("Open the community site %1").arg(communityHost_));
    Label41->setToolTip(QStringLiteral("http://") + communityHost_ + QStringLiteral("/"));
    QFont linkFont = Label41->font();
    linkFont.setUnderline(true);
    Label41->setFont(linkFont);
    QPalette linkPalette = Label41->palette();
    linkPalette.setColor(QPalette::WindowText, linkPalette.color(QPalette::Link));
    Label41->setPalette(linkPalette);
    platform::place(Label41, 2040, 2880 + extraTwips, 1935, 255);
    connect(Label41, &common::ClickLabel::clicked, this, [this] { Label41_Click(); });

    setFixedSize(platform::twipsToPixels(5730), platform::twipsToPixels(3555) + extra);
    if (owner != nullptr) {
        const QRect ownerRect = owner->window()->frameGeometry();
        move(ownerRect.center() - rect().center());
    }
}

void frmAbout::Form_Load() {
    setWindowTitle(tr("About ") + kTitle);
    lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(kMajor).arg(kMinor).arg(kRevision));
    lblTitle->setText(kTitle);
    platform::place(lblTitle, 1050, 240, 3885, 480);
    platform::place(lblVersion, 1050, 780, 3885, 285);
    lblTitle->setAccessibleName(lblTitle->text());
    lblVersion->setAccessibleName(lblVersion->text());
}

void frmAbout::cmdOK_Click() {
    close();
}

QString frmAbout::siteCommandLine() const {
    return QStringLiteral("explorer http://") + communityHost_ + QStringLiteral("/");
}

void frmAbout::Label41_Click() {
    if (shell_.execute(siteCommandLine(), platform::SW_SHOWNOACTIVATE) || messages_ == nullptr)
        return;
    messages_->show(this,
                    tr("The community site http://%1/ could not be opened in a web browser.")
                        .arg(communityHost_),
                    windowTitle(), platform::MessageBox::Icon::Warning);
}

} // namespace about
