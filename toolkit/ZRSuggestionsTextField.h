#pragma once

#include "window-access/TextFieldSuggestion.h"

#include <QLineEdit>
#include <QPointer>
#include <QVariantList>

class QMenu;
class ZRSuggestionsTextField;

class ZRTextFieldSuggestionsProvider {
public:
    virtual ~ZRTextFieldSuggestionsProvider() = default;
    virtual QVariantList suggestionsForTextField(ZRSuggestionsTextField* field) = 0;
};

// A text field with a menu of suggested values from its provider, opened by the button at its end or the
// down arrow key; a chosen value replaces the text as if typed.
class ZRSuggestionsTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit ZRSuggestionsTextField(QWidget* parent = nullptr);

    // The provider is not owned.
    void setSuggestionsProvider(ZRTextFieldSuggestionsProvider* provider) { m_provider = provider; }

    // A new menu of the provider's rows, owned by the caller; null without provider or rows.
    QMenu* newSuggestionsMenu();
    // Pops the menu up under the field.
    void showSuggestions();
    // Puts the value into the field as if typed.
    void chooseSuggestion(const QString& value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ZRTextFieldSuggestionsProvider* m_provider = nullptr;
    QPointer<QMenu> m_menu;
};
