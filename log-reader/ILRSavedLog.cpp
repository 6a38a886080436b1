#include "log-reader/ILRSavedLog.h"

#include "platform/foundation/PropertyList.h"
#include "window-access/PropertyListSafeValue.h"

namespace {

// Property lists cannot carry the control characters other than tab, line feed and carriage return; a
// message that holds one is saved with a replacement character there instead of not at all.
QString withoutForbiddenCharacters(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            c = QChar::ReplacementCharacter;
        else if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace

namespace ILRSavedLog {

bool write(const std::deque<ILRLogEntry>& entries, const QString& path, QString* error) {
    QVariantList list;
    list.reserve(qsizetype(entries.size()));
    for (const ILRLogEntry& entry : entries) {
        QVariantMap dictionary = ZRPropertyListSafeValue(entry.dictionaryRepresentation()).toMap();
        for (auto it = dictionary.begin(); it != dictionary.end(); ++it) {
            if (it->typeId() == QMetaType::QString)
                *it = withoutForbiddenCharacters(it->toString());
        }
        list.append(dictionary);
    }
    return PropertyList::writeFile(path, list, error);
}

} // namespace ILRSavedLog
