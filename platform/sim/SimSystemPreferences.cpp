#include "platform/sim/SimSystemPreferences.h"

#include "platform/PlatformLog.h"

QVariant SimSystemPreferences::value(const QString& domain, const QString& key) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_domains.find(domain);
    return it == m_domains.end() ? QVariant() : it->second.value(key);
}

bool SimSystemPreferences::setValue(const QString& domain, const QString& key, const QVariant& value) {
    if (domain.isEmpty() || key.isEmpty() || !value.isValid()) {
        platformLog(QStringLiteral("sim: cannot set preference \"%1\" of domain \"%2\"").arg(key, domain));
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_domains[domain].insert(key, value);
    }
    changed.emit(domain, key);
    return true;
}

bool SimSystemPreferences::removeValue(const QString& domain, const QString& key) {
    bool removed = false;
    {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_domains.find(domain); it != m_domains.end())
            removed = it->second.remove(key) > 0;
    }
    if (removed)
        changed.emit(domain, key);
    return true;
}

bool SimSystemPreferences::offersEdgeTiling() const {
    std::lock_guard lock(m_mutex);
    return m_offersEdgeTiling;
}

bool SimSystemPreferences::offersZoomButtonMenuOption() const {
    std::lock_guard lock(m_mutex);
    return m_offersZoomButtonMenuOption;
}

bool SimSystemPreferences::offersStageManager() const {
    std::lock_guard lock(m_mutex);
    return m_offersStageManager;
}

bool SimSystemPreferences::offersWindowDrawers() const {
    std::lock_guard lock(m_mutex);
    return m_offersWindowDrawers;
}

void SimSystemPreferences::setOffersEdgeTiling(bool offers) {
    std::lock_guard lock(m_mutex);
    m_offersEdgeTiling = offers;
}

void SimSystemPreferences::setOffersZoomButtonMenuOption(bool offers) {
    std::lock_guard lock(m_mutex);
    m_offersZoomButtonMenuOption = offers;
}

void SimSystemPreferences::setOffersStageManager(bool offers) {
    std::lock_guard lock(m_mutex);
    m_offersStageManager = offers;
}

void SimSystemPreferences::setOffersWindowDrawers(bool offers) {
    std::lock_guard lock(m_mutex);
    m_offersWindowDrawers = offers;
}
