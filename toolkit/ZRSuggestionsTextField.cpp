#include "toolkit/ZRSuggestionsTextField.h"

#include "toolkit/Drawing.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

namespace {

constexpr int ButtonImageSize = 16;
constexpr double ButtonArrowAngle = 90;

QIcon suggestionsButtonIcon(const QColor& color) {
    QPixmap pixmap(ButtonImageSize, ButtonImageSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    ZRDrawArrowGlyph(painter, color, ButtonArrowAngle, QRectF(pixmap.rect()).adjusted(4, 4, -4, -4), true);
    return QIcon(pixmap);
}

} // namespace

ZRSuggestionsTextField::ZRSuggestionsTextField(QWidget* parent) : QLineEdit(parent) {
    QAction* button =
        addAction(suggestionsButtonIcon(palette().color(QPalette::Text)), QLineEdit::TrailingPosition);
    button->setObjectName(QStringLiteral("ZRSuggestionsButton"));
    connect(button, &QAction::triggered, this, &ZRSuggestionsTextField::showSuggestions);
}

QMenu* ZRSuggestionsTextField::newSuggestionsMenu() {
    if (!m_provider)
        return nullptr;
    const QVariantList rows = m_provider->suggestionsForTextField(this);
    if (rows.isEmpty())
        return nullptr;
    auto* menu = new QMenu;
    const auto addHeader = [menu](const QString& title) { menu->addAction(title)->setEnabled(false); };
    for (const QVariant& row : rows) {
        QString title;
        QString value;
        if (row.typeId() == QMetaType::QVariantMap) {
            const QVariantMap item = row.toMap();
            title = item.value(QString::fromUtf16(ZRTextFieldSuggestionTitle)).toString();
            value = item.value(QString::fromUtf16(ZRTextFieldSuggestionRepresentedStringValue)).toString();
        } else {
            const QString text = row.toString();
            if (text == QStringView(ZRTextFieldSuggestionsSectionCurrentlyUsed)) {
                addHeader(tr("Currently Used"));
                continue;
            }
            if (text == QStringView(ZRTextFieldSuggestionsSectionSuggested)) {
                addHeader(tr("Suggestions"));
                continue;
            }
            if (text.isEmpty()) {
                menu->addSeparator();
                continue;
            }
            title = value = text;
        }
        QAction* item = menu->addAction(title);
        item->setData(value);
        connect(item, &QAction::triggered, this, [this, value] { chooseSuggestion(value); });
    }
    return menu;
}

void ZRSuggestionsTextField::showSuggestions() {
    if (m_menu)
        return;
    QMenu* menu = newSuggestionsMenu();
    if (!menu)
        return;
    m_menu = menu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(mapToGlobal(QPoint(0, height())));
}

void ZRSuggestionsTextField::chooseSuggestion(const QString& value) {
    setText(value);
    selectAll();
    Q_EMIT textEdited(value);
}

void ZRSuggestionsTextField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down && m_provider) {
        showSuggestions();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
