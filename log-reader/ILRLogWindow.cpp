#include "log-reader/ILRLogWindow.h"

#include "toolkit/TextFinding.h"
#include "toolkit/ZRFindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr QSize DefaultSize(640, 420);
constexpr QSize MinimumSize(360, 200);
constexpr int RowMargin = 8;
constexpr int RowSpacing = 6;
constexpr int SpinnerWidth = 80;
constexpr int OptionsWidth = 40;
// A view scrolled to within this many pixels of its end follows new lines.
constexpr int FollowDistance = 5;

} // namespace

ILRLogWindow::ILRLogWindow(ZRFindPasteboard& findPasteboard, QWidget* parent)
    : QWidget(parent, Qt::Window), m_findPasteboard(findPasteboard) {
    setObjectName(QString::fromUtf16(InterfaceName));
    resize(DefaultSize);
    setMinimumSize(MinimumSize);

    m_logView = new QTextEdit;
    m_logView->setReadOnly(true);
    m_logView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_logView->setFrameShape(QFrame::NoFrame);
    m_logView->installEventFilter(this);
    QScrollBar* bar = m_logView->verticalScrollBar();
    connect(bar, &QAbstractSlider::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_followsEnd)
            bar->setValue(maximum);
    });
    connect(bar, &QAbstractSlider::valueChanged, this,
            [this, bar](int value) { m_followsEnd = bar->maximum() - value < FollowDistance; });

    m_spinner = new QProgressBar;
    m_spinner->setRange(0, 0);
    m_spinner->setTextVisible(false);
    m_spinner->setFixedWidth(SpinnerWidth);
    m_spinner->hide();

    m_findEarlier = new QPushButton;
    m_clear = new QPushButton;
    m_save = new QPushButton(QStringLiteral("Save…"));
    m_debugLogging = new QCheckBox(QStringLiteral("Debug Logging"));
    m_options = new QToolButton;
    m_options->setPopupMode(QToolButton::InstantPopup);
    m_options->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_options->setFixedWidth(OptionsWidth);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(RowMargin, RowSpacing, RowMargin, RowMargin);
    row->setSpacing(RowSpacing);
    row->addWidget(m_findEarlier);
    row->addWidget(m_clear);
    row->addWidget(m_spinner);
    row->addStretch();
    row->addWidget(m_debugLogging);
    row->addWidget(m_save);
    row->addWidget(m_options);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_logView, 1);
    m_layout->addLayout(row);
}

void ILRLogWindow::scrollToEnd() {
    QScrollBar* bar = m_logView->verticalScrollBar();
    bar->setValue(bar->maximum());
    m_followsEnd = true;
}

void ILRLogWindow::showFindBar() {
    if (!m_findBar) {
        m_findBar = new ZRFindBar(m_findPasteboard);
        m_layout->insertWidget(0, m_findBar);
        connect(m_findBar, &ZRFindBar::searchRequested, this, [this](const QString& text) {
            if (!text.isEmpty() && !ZRFindInTextView(m_logView, text, false))
                QApplication::beep();
        });
        connect(m_findBar, &ZRFindBar::doneRequested, this, &ILRLogWindow::hideFindBar);
    }
    m_findBar->show();
    m_findBar->focusSearchField();
}

void ILRLogWindow::hideFindBar() {
    if (!m_findBar)
        return;
    m_findBar->hide();
    m_logView->setFocus();
}

void ILRLogWindow::closeEvent(QCloseEvent* event) {
    if (windowWillClose)
        windowWillClose();
    QWidget::closeEvent(event);
}

void ILRLogWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && activeChanged)
        activeChanged(isActiveWindow());
    QWidget::changeEvent(event);
}

bool ILRLogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_logView && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (insertNewline)
                insertNewline();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
