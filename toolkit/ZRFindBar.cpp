#include "toolkit/ZRFindBar.h"

#include "toolkit/ViewExtensions.h"
#include "toolkit/ZRFindPasteboard.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace {

// The controls sit in the bar's upper 30 pixels; the last row is the line under it.
constexpr int ControlsHeight = ZRFindBar::Height - 1;
constexpr int Margin = 6;
constexpr double DarkFill = 0.22;
constexpr double LightTop = 1.0;
constexpr double LightBottom = 0.97;
constexpr double DarkLine = 0.1;
constexpr double LightLine = 0.9;
const QString DoneTitle = QStringLiteral("Done");
const QString FieldPlaceholder = QStringLiteral("Find");

QColor white(double level) {
    return QColor::fromRgbF(float(level), float(level), float(level));
}

} // namespace

ZRFindBar::ZRFindBar(ZRFindPasteboard& findPasteboard, QWidget* parent)
    : QWidget(parent), m_findPasteboard(findPasteboard), m_field(new QLineEdit(this)),
      m_done(new QPushButton(DoneTitle, this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedHeight(Height);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_field->setFont(small);
    m_field->setClearButtonEnabled(true);
    m_field->setPlaceholderText(FieldPlaceholder);
    m_field->setText(findPasteboard.string());
    m_field->installEventFilter(this);
    m_done->setFont(small);
    m_done->setAutoDefault(false);
    m_done->setFocusPolicy(Qt::NoFocus);

    connect(m_field, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_findPasteboard.setString(text);
        Q_EMIT textEdited(text);
    });
    connect(m_field, &QLineEdit::returnPressed, this, [this] { Q_EMIT searchRequested(m_field->text()); });
    connect(m_done, &QPushButton::clicked, this, &ZRFindBar::doneRequested);
    // Another window's find bar changed the string: show it here too, unless this field is being typed in.
    m_findStringChanged = findPasteboard.changed.connect([this](const QString& string) {
        if (!m_field->hasFocus())
            m_field->setText(string);
    });
    layOut();
}

void ZRFindBar::focusSearchField() {
    m_field->setFocus(Qt::OtherFocusReason);
    m_field->selectAll();
}

void ZRFindBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool dark = isInFullyInvertedDarkMode(this);
    if (dark) {
        painter.fillRect(rect(), white(DarkFill));
    } else {
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, white(LightTop));
        gradient.setColorAt(1, white(LightBottom));
        painter.fillRect(rect(), gradient);
    }
    painter.fillRect(QRect(0, height() - 1, width(), 1), white(dark ? DarkLine : LightLine));
}

void ZRFindBar::resizeEvent(QResizeEvent*) {
    layOut();
}

bool ZRFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Q_EMIT doneRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ZRFindBar::layOut() {
    const QSize doneSize = m_done->sizeHint();
    const int doneTop = (ControlsHeight - doneSize.height()) / 2;
    m_done->setGeometry(width() - Margin - doneSize.width(), doneTop, doneSize.width(), doneSize.height());
    const int fieldHeight = m_field->sizeHint().height();
    // The field sits a pixel higher than centred, as the button's bezel makes it look lower.
    const int fieldTop = std::max(0, (ControlsHeight - fieldHeight) / 2 - 1);
    const int fieldWidth = std::max(0, m_done->x() - 2 * Margin);
    m_field->setGeometry(Margin, fieldTop, fieldWidth, fieldHeight);
}
