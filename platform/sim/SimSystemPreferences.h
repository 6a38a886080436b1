#pragma once

#include "platform/SystemPreferences.h"

#include <QVariantMap>
#include <map>
#include <mutex>

// The desktop's preferences of the simulated desktop, in memory. The preferences tool at
// preferencesToolPath() exists only as a handler of SimProcesses that writes here.
class SimSystemPreferences : public SystemPreferences {
public:
    static inline const QString ToolPath = QStringLiteral("/simulated/usr/bin/defaults");

    QVariant value(const QString& domain, const QString& key) const override;
    bool setValue(const QString& domain, const QString& key, const QVariant& value) override;
    bool removeValue(const QString& domain, const QString& key) override;
    bool offersEdgeTiling() const override;
    bool offersZoomButtonMenuOption() const override;
    bool offersStageManager() const override;
    bool offersWindowDrawers() const override;
    QString preferencesToolPath() const override { return ToolPath; }

    void setOffersEdgeTiling(bool offers);
    void setOffersZoomButtonMenuOption(bool offers);
    void setOffersStageManager(bool offers);
    void setOffersWindowDrawers(bool offers);

private:
    mutable std::mutex m_mutex;
    std::map<QString, QVariantMap> m_domains;
    bool m_offersEdgeTiling = true;
    bool m_offersZoomButtonMenuOption = true;
    bool m_offersStageManager = true;
    bool m_offersWindowDrawers = true;
};
