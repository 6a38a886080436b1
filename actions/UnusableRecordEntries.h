#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <vector>

class ZRAction;

// The entries of a stored array of action records that gave no action (a type of a newer version, a
// value that is no record, members nested deeper than folders may): never shown or run, but kept to
// be written back unchanged where they stood, after the action that came before them.
class UnusableRecordEntries {
public:
    // The entry stood after the action with that identifier; an empty one puts it in front.
    void keep(const QVariant& entry, const QString& afterIdentifier);
    std::size_t size() const { return m_entries.size(); }

    // The actions' records with the kept entries in their places. Entries whose action is no longer
    // there come last, in their order.
    QVariantList interleavedWith(const std::vector<std::shared_ptr<ZRAction>>& actions) const;

private:
    struct Entry {
        QString afterIdentifier;
        QVariant value;
    };
    std::vector<Entry> m_entries;
};
