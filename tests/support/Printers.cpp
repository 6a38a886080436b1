#include "Printers.h"

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}

void PrintTo(const QVariant& value, std::ostream* out) {
    if (!value.isValid()) {
        *out << "no value";
        return;
    }
    *out << value.typeName() << ' ' << value.toString().toStdString();
}

void PrintTo(const Rect& rect, std::ostream* out) {
    *out << stringFromRect(rect).toStdString();
}

void PrintTo(const Point& point, std::ostream* out) {
    *out << stringFromPoint(point).toStdString();
}
