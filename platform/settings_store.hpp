#pragma once

#include <QString>

namespace quarn {

// The program's per-user store of string entries grouped in sections.
// Entries live under a company key and, beneath it, under the executable's
// base name: the registry under HKCU\Software on Windows, an INI file in the
// XDG configuration folder elsewhere. Every value is a plain string.
class SettingsStore {
public:
    // Names the company key; until this is called the store has none.
    static void SetCompanyKey(const QString& company);
    static QString CompanyKey();

    // The executable's file name without its extension.
    static QString ProgramName();

    static QString ReadString(const QString& section, const QString& entry, const QString& defaultValue);
    static void WriteString(const QString& section, const QString& entry, const QString& value);
    // Removes every entry of the section.
    static void RemoveSection(const QString& section);
};

}  // namespace quarn
