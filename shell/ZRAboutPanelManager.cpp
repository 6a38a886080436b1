#include "shell/ZRAboutPanelManager.h"

#include "shell/ZRApplicationMode.h"
#include "shell/ZRStatusItemController.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <memory>

namespace {

constexpr int LogoSize = 96;
constexpr int PanelWidth = 380;
constexpr int CreditsHeight = 150;

struct Credit {
    const char* name;
    const char* text;
};

// What the program is built with, and the terms under which it is.
constexpr Credit Credits[] = {
    {"Qt", "The Qt Company Ltd. and other contributors. GNU Lesser General Public License, version 3."},
    {"libplist", "Nikias Bassen, Martin Szulecki and other contributors. GNU Lesser General Public License, "
                 "version 2.1."},
    {"XCB", "The X.Org Foundation and other contributors. MIT License."},
};

} // namespace

void appendString(QTextDocument& attributedString, const QString& string) {
    QTextCursor cursor(&attributedString);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(string);
}

ZRAboutPanelManager& ZRAboutPanelManager::aboutPanelManager() {
    static ZRAboutPanelManager* manager = new ZRAboutPanelManager;
    return *manager;
}

std::unique_ptr<QTextDocument> ZRAboutPanelManager::credits() {
    auto document = std::make_unique<QTextDocument>();
    QTextCursor cursor(document.get());
    QTextCharFormat nameFormat;
    nameFormat.setFontWeight(QFont::Bold);
    for (const Credit& credit : Credits) {
        if (!cursor.atStart())
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        cursor.insertText(QString::fromUtf8(credit.name), nameFormat);
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        appendString(*document, QString::fromUtf8(credit.text));
        cursor.movePosition(QTextCursor::End);
    }
    return document;
}

void ZRAboutPanelManager::orderFrontStandardAboutPanel(QObject* sender) {
    if (!m_panel) {
        auto* panel = new QDialog;
        panel->setAttribute(Qt::WA_DeleteOnClose);
        panel->setWindowTitle(QObject::tr("About Skaf"));
        panel->setFixedWidth(PanelWidth);
        auto* layout = new QVBoxLayout(panel);
        auto* image = new QLabel;
        image->setPixmap(QPixmap::fromImage(
            ZRStatusItemLogoImage(LogoSize, QApplication::palette().windowText().color())));
        image->setAlignment(Qt::AlignCenter);
        layout->addWidget(image);
        auto* name = new QLabel(QStringLiteral("<b>Skaf</b>"));
        name->setAlignment(Qt::AlignCenter);
        layout->addWidget(name);
        auto* version = new QLabel(QObject::tr("Version %1").arg(QCoreApplication::applicationVersion()));
        version->setAlignment(Qt::AlignCenter);
        layout->addWidget(version);
        auto* credits = new QTextBrowser;
        credits->setObjectName(QStringLiteral("credits"));
        credits->setFixedHeight(CreditsHeight);
        std::unique_ptr<QTextDocument> document = ZRAboutPanelManager::credits();
        document->setParent(credits);
        credits->setDocument(document.release());
        layout->addWidget(credits);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        QObject::connect(buttons, &QDialogButtonBox::rejected, panel, &QDialog::close);
        layout->addWidget(buttons);
        m_panel = panel;
        ZRApplyApplicationModeToWindow(panel);
    }
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}
