#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QCompleter;
class QLineEdit;
class QStringListModel;

// The completions of a browser window's find field: a list under the field of what the controller
// suggests for the text typed so far. A chosen suggestion goes to the controller (selectSearchSuggestion)
// and is not put into the field.
class ZRBrowserWindowSearchFieldEditor : public QObject {
    Q_OBJECT
public:
    ZRBrowserWindowSearchFieldEditor(QLineEdit* field,
                                     std::function<void(const QString&)> selectSearchSuggestion);

    // Shows the suggestions under the field, none selected; hides the list when there are none.
    void showCompletions(const QStringList& suggestions);
    QStringList completions() const;
    bool isShowingCompletions() const;

private:
    QLineEdit* m_field;
    QCompleter* m_completer;
    QStringListModel* m_model;
};
