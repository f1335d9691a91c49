// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <QCoreApplication>
#include <QSettings>

namespace quorvel::app {
namespace {

// Opened per access: the store is small and read only at a few moments. Its format is the
// default one, native unless changed: the registry on Windows, an INI file elsewhere (tests
// choose an INI file in a scratch folder on every system).
class SectionSettings {
  public:
    SectionSettings()
        : m_settings(QSettings::defaultFormat(), QSettings::UserScope,
                     QString::fromLatin1(Settings::kOrganization),
                     QCoreApplication::applicationName()) {
        m_settings.beginGroup(QString::fromLatin1(Settings::kSection));
    }
    QSettings& operator*() { return m_settings; }
    QSettings* operator->() { return &m_settings; }

  private:
    QSettings m_settings;
};

}  // namespace

QString Settings::readString(const char* key) {
    SectionSettings settings;
    const QVariant value = settings->value(QString::fromLatin1(key));
    return value.canConvert<QString>() ? value.toString() : QString();
}

void Settings::writeString(const char* key, const QString& value) {
    SectionSettings settings;
    settings->setValue(QString::fromLatin1(key), value);
}

bool Settings::readFlag(const char* key, bool fallback) {
    SectionSettings settings;
    bool ok = false;
    const int value = settings->value(QString::fromLatin1(key)).toInt(&ok);
    return ok ? value != 0 : fallback;
}

void Settings::writeFlag(const char* key, bool value) {
    SectionSettings settings;
    settings->setValue(QString::fromLatin1(key), value ? 1 : 0);
}

QString Settings::fileKind() {
    return readString(kFileKindKey);
}

bool Settings::subDirCheck() {
    return readFlag(kSubDirKey, true);
}

void Settings::setSubDirCheck(bool checked) {
    writeFlag(kSubDirKey, checked);
}

bool Settings::forceGeneration() {
    return readFlag(kForceGenerationKey, false);
}

void Settings::setForceGeneration(bool on) {
    writeFlag(kForceGenerationKey, on);
}

QString Settings::dialogFileKind() {
    return readString(kDialogFileKindKey);
}

void Settings::setDialogFileKind(const QString& entry) {
    writeString(kDialogFileKindKey, entry);
}

bool Settings::findExecutableCheck() {
    return readFlag(kFindExecutableKey, true);
}

void Settings::setFindExecutableCheck(bool checked) {
    writeFlag(kFindExecutableKey, checked);
}

}  // namespace quorvel::app
