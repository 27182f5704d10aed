#include "platform/settings_store.hpp"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace quarn {

namespace {

QString& CompanyKeyStorage()
{
    static QString company;
    return company;
}

}  // namespace

void SettingsStore::SetCompanyKey(const QString& company)
{
    CompanyKeyStorage() = company;
}

QString SettingsStore::CompanyKey()
{
    return CompanyKeyStorage();
}

QString SettingsStore::ProgramName()
{
    const QString file = QCoreApplication::instance() != nullptr ? QCoreApplication::applicationFilePath() : QString();
    const QString name = QFileInfo(file).completeBaseName();
    return name.isEmpty() ? QStringLiteral("QuarnTool") : name;
}

QString SettingsStore::ReadString(const QString& section, const QString& entry, const QString& defaultValue)
{
    QSettings settings(CompanyKey(), ProgramName());
    settings.beginGroup(section);
    return settings.value(entry, defaultValue).toString();
}

void SettingsStore::WriteString(const QString& section, const QString& entry, const QString& value)
{
    QSettings settings(CompanyKey(), ProgramName());
    settings.beginGroup(section);
    settings.setValue(entry, value);
}

void SettingsStore::RemoveSection(const QString& section)
{
    QSettings settings(CompanyKey(), ProgramName());
    settings.remove(section);
}

}  // namespace quarn
