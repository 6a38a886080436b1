#pragma once

#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "hotkeys/ZRHotKeyTextViewAlerts.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPalette>
#include <QStringList>
#include <QVBoxLayout>
#include <QtTest/QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Counts the field's beeps and answers its question as the test says.
class ScriptedFieldAlerts : public ZRHotKeyTextViewAlerts {
public:
    void beep() override { ++beeps; }
    bool confirmHotKey(QWidget*, const QString& visualRepresentation) override {
        questions.append(visualRepresentation);
        if (whileAsking)
            whileAsking();
        return answer;
    }

    int beeps = 0;
    QStringList questions;
    bool answer = true;
    std::function<void()> whileAsking;
};

// The field as the settings show it: in a window, below a text field, the window active.
class FieldWindow {
public:
    explicit FieldWindow(ZRHotKeyTextView* field)
        : window(std::make_unique<QWidget>()), lineEdit(new QLineEdit), field(field) {
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(lineEdit);
        layout->addWidget(this->field->containerView());
        window->resize(220, 70);
    }

    bool showActive() {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    void click() {
        QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(10, field->height() / 2));
    }
    void clickClearButton() {
        QTest::mouseClick(field->deleteButton(), Qt::LeftButton, Qt::NoModifier,
                          field->deleteButton()->rect().center());
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* lineEdit;
    ZRHotKeyTextView* field;
};

// The field's pictures as the user meets them, on the window's background.
inline QImage fieldPicture(QWidget& view) {
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(view.palette().color(QPalette::Window));
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline void saveFieldPicture(const QImage& image, const QString& name) {
    const QString folder = QStringLiteral(SKAF_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) << name.toStdString();
}

// The dark style as the desktop would give it.
inline void setDark(QWidget& view) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(40, 40, 40));
    palette.setColor(QPalette::WindowText, Qt::white);
    view.setPalette(palette);
}
