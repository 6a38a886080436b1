#include "help-browser/ZRBrowserWindowSearchFieldEditor.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>

ZRBrowserWindowSearchFieldEditor::ZRBrowserWindowSearchFieldEditor(
    QLineEdit* field, std::function<void(const QString&)> selectSearchSuggestion)
    : QObject(field), m_field(field), m_completer(new QCompleter(this)), m_model(new QStringListModel(this)) {
    m_completer->setModel(m_model);
    // Suggestions are titles of pages that hold the words, not texts that begin with them.
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    // Attached to the field without QLineEdit::setCompleter, so a chosen row never replaces the text.
    m_completer->setWidget(field);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this,
            [select = std::move(selectSearchSuggestion)](const QString& title) { select(title); });
}

void ZRBrowserWindowSearchFieldEditor::showCompletions(const QStringList& suggestions) {
    m_model->setStringList(suggestions);
    if (suggestions.isEmpty()) {
        m_completer->popup()->hide();
        return;
    }
    m_completer->complete();
    m_completer->popup()->setCurrentIndex(QModelIndex());
}

QStringList ZRBrowserWindowSearchFieldEditor::completions() const {
    return m_model->stringList();
}

bool ZRBrowserWindowSearchFieldEditor::isShowingCompletions() const {
    return m_completer->popup()->isVisible();
}
