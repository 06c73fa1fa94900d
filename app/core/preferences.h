#pragma once

#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;

// The user's preferences, read with their defaults when a key is missing or holds a value of another type.
// Copies share one store.
class Preferences {
public:
    // Saved window frames.
    enum class Frame { Mini, Pinned };

    // The user's settings file.
    Preferences();
    // A settings file of the caller's.
    explicit Preferences(const QString& file);

    // Hosts to ping; `defaultHosts` unless a list is stored (a stored empty list stays empty).
    QStringList hosts() const;
    void setHosts(const QStringList& hosts);
    // Display label per host; empty unless every key and value is text.
    QMap<QString, QString> hostLabels() const;
    void setHostLabels(const QMap<QString, QString>& labels);

    QString tab() const;
    void setTab(const QString& tab);
    bool advanced() const;
    void setAdvanced(bool on);
    bool pinned() const;
    void setPinned(bool on);
    bool mini() const;
    void setMini(bool on);
    bool loginAsked() const;
    void setLoginAsked(bool asked);
    // Monthly hotspot limit in GB; 0 is no limit.
    double hotspotLimitGB() const;
    void setHotspotLimitGB(double gb);
    // Desktop notifications when a host stops and starts answering.
    bool outageAlerts() const;
    void setOutageAlerts(bool on);
    // Where the figures for a monitoring system go; empty when nowhere.
    QString metricsFile() const;
    void setMetricsFile(const QString& file);
    double panelExpand() const;
    void setPanelExpand(double points);
    std::optional<QRect> frame(Frame which) const;
    void setFrame(Frame which, const QRect& frame);

    // Forgets the window state: pinned and mini flags, panel height and saved frames.
    void resetWindows();

    // Where the store lives.
    QString fileName() const;

private:
    bool flag(const char* key) const;
    void set(const char* key, const QVariant& value);
    double number(const char* key) const;

    std::shared_ptr<QSettings> s_;
};
