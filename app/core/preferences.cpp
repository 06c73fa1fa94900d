#include "core/preferences.h"

#include "common/settings_file.h"
#include "core/globals.h"

#include <QSettings>
#include <QStandardPaths>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString frameKey(Preferences::Frame which) {
    return which == Preferences::Frame::Mini ? u"NSWindow Frame TarnwickMini"_s : u"NSWindow Frame TarnwickPinned"_s;
}

} // namespace

// QSettings' own user path would end in ".ini"; the file keeps the name users and the docs know.
Preferences::Preferences()
    : Preferences(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  u"/Tarnwick/Tarnwick.conf"_s) {}

Preferences::Preferences(const QString& file)
    : s_(openSettings(file)) {}

QString Preferences::fileName() const {
    return s_->fileName();
}

QStringList Preferences::hosts() const {
    if (!s_->contains(u"hosts"_s))
        return defaultHosts();
    const QVariant v = s_->value(u"hosts"_s);
    // The settings file keeps a one-entry list as plain text and an empty list as an invalid value.
    switch (v.typeId()) {
    case QMetaType::QStringList:
        return v.toStringList();
    case QMetaType::QString:
        return v.toString().isEmpty() ? QStringList() : QStringList{v.toString()};
    case QMetaType::UnknownType:
        return {};
    default:
        return defaultHosts();
    }
}

void Preferences::setHosts(const QStringList& hosts) {
    set("hosts", hosts);
}

QMap<QString, QString> Preferences::hostLabels() const {
    const QVariant v = s_->value(u"hostLabels"_s);
    if (v.typeId() != QMetaType::QVariantMap)
        return {};
    QMap<QString, QString> labels;
    const QVariantMap map = v.toMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QString)
            return {};
        labels.insert(it.key(), it.value().toString());
    }
    return labels;
}

void Preferences::setHostLabels(const QMap<QString, QString>& labels) {
    QVariantMap map;
    for (auto it = labels.cbegin(); it != labels.cend(); ++it)
        map.insert(it.key(), it.value());
    set("hostLabels", map);
}

QString Preferences::tab() const {
    const QVariant v = s_->value(u"tab"_s);
    return v.typeId() == QMetaType::QString ? v.toString() : u"Przeglad"_s;
}

void Preferences::setTab(const QString& tab) {
    set("tab", tab);
}

bool Preferences::advanced() const {
    return flag("advanced");
}

void Preferences::setAdvanced(bool on) {
    set("advanced", on);
}

bool Preferences::pinned() const {
    return flag("pinned");
}

void Preferences::setPinned(bool on) {
    set("pinned", on);
}

bool Preferences::mini() const {
    return flag("mini");
}

void Preferences::setMini(bool on) {
    set("mini", on);
}

bool Preferences::loginAsked() const {
    return flag("loginAsked");
}

void Preferences::setLoginAsked(bool asked) {
    set("loginAsked", asked);
}

double Preferences::hotspotLimitGB() const {
    return number("hotspotLimitGB");
}

void Preferences::setHotspotLimitGB(double gb) {
    set("hotspotLimitGB", gb);
}

bool Preferences::outageAlerts() const {
    return flag("outageAlerts");
}

void Preferences::setOutageAlerts(bool on) {
    set("outageAlerts", on);
}

QString Preferences::metricsFile() const {
    const QVariant v = s_->value(u"metricsFile"_s);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

void Preferences::setMetricsFile(const QString& file) {
    set("metricsFile", file);
}

double Preferences::panelExpand() const {
    return number("panelExpand");
}

void Preferences::setPanelExpand(double points) {
    set("panelExpand", points);
}

std::optional<QRect> Preferences::frame(Frame which) const {
    const QVariant v = s_->value(frameKey(which));
    if (v.typeId() != QMetaType::QRect || !v.toRect().isValid())
        return std::nullopt;
    return v.toRect();
}

void Preferences::setFrame(Frame which, const QRect& frame) {
    s_->setValue(frameKey(which), frame);
    s_->sync();
}

void Preferences::resetWindows() {
    for (const QString& key :
         {u"pinned"_s, u"mini"_s, u"panelExpand"_s, frameKey(Frame::Mini), frameKey(Frame::Pinned)})
        s_->remove(key);
    s_->sync();
}

bool Preferences::flag(const char* key) const {
    const QVariant v = s_->value(QLatin1StringView(key));
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    // The settings file keeps booleans as text.
    const QString text = v.toString().trimmed().toLower();
    return text == u"true"_s || text == u"1"_s;
}

double Preferences::number(const char* key) const {
    bool ok = false;
    const double value = s_->value(QLatin1StringView(key)).toString().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

void Preferences::set(const char* key, const QVariant& value) {
    s_->setValue(QLatin1StringView(key), value);
    s_->sync();
}
