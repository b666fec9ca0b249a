#include "viewer/about_dlg.hpp"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/help.hpp"
#include "common/strings.hpp"

namespace tavrin::viewer {

namespace {

constexpr unsigned kHomePage = 450;
constexpr std::string_view kVersion = "1.2.062";
constexpr std::string_view kHelpTopic = "::/Tavrin Viewer.htm";

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(text("Über PictureViewer"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text("Tavrin Picture Viewer, Version ") + text(kVersion)));
    const QString address = text(strings::get(kHomePage));
    auto* link = new QLabel(QString("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()));
    link->setObjectName("450");
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(link, &QLabel::linkActivated, this,
            [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    layout->addWidget(link);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QPushButton* help = buttons->addButton(text("&Hilfe"), QDialogButtonBox::HelpRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [] { showHelp(kHelpTopic); });
}

}  // namespace tavrin::viewer
