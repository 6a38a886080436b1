#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QTextDocument;

// The about panel: the logo, the name and version, and the credits of what the program is built with.
// One panel, shown again when it is open.
class ZRAboutPanelManager : public QObject {
    Q_OBJECT

public:
    static ZRAboutPanelManager& aboutPanelManager();

    // Shows the panel and brings it to the front.
    void orderFrontStandardAboutPanel(QObject* sender);

    // The credits, a new document each call.
    static std::unique_ptr<QTextDocument> credits();

private:
    ZRAboutPanelManager() = default;

    QPointer<QDialog> m_panel;
};

// Appends plain text at the end of the document, in the format of the text before it.
void appendString(QTextDocument& attributedString, const QString& string);
