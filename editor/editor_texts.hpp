#pragma once

#include "base/controller_facts.hpp"
#include "document/reader.hpp"

#include <QDate>
#include <QString>

// The editor's fixed texts and formats, in one place.
namespace quarn::texts {

inline QString ProgramName()
{
    return QStringLiteral("QuarnTool");
}
inline QString AboutMenuItem()
{
    return QStringLiteral("&About QuarnTool...");
}
inline QString AboutVersionLine()
{
    return QStringLiteral("QuarnTool, Version 1.0.0.4");
}
inline QString AboutSecondLine()
{
    return QStringLiteral("Timer and relay editor for QUARN controllers");
}

inline QString DateFormat()
{
    return QStringLiteral("yyyy/MM/dd");
}
inline QString TimeFormat()
{
    return QStringLiteral("HH:mm:ss");
}

// The dates a state-machine file can hold and read back.
inline QDate FirstDate()
{
    return {kFirstFileDate.year, kFirstFileDate.month, kFirstFileDate.day};
}
inline QDate LastDate()
{
    return {kLastFileDate.year, kLastFileDate.month, kLastFileDate.day};
}

inline QString SaveBeforeExit()
{
    return QStringLiteral("Contents changed; do you want to save before exit?");
}
inline QString SaveChanges()
{
    return QStringLiteral("Contents changed; do you want to save the changes?");
}
inline QString CannotRead()
{
    return QString::fromStdU16String(kCannotReadText);
}
inline QString CannotWrite()
{
    return QStringLiteral("Cannot open the file for writing");
}

}  // namespace quarn::texts
