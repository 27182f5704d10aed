#pragma once

#include <QString>

// The converter window's fixed texts, in one place.
namespace quarn::morvex_texts {

inline QString WindowTitle()
{
    return QStringLiteral("QUARN XMI to XML converter V1");
}
inline QString SourceLabel()
{
    return QStringLiteral("Source XMI file");
}
inline QString DestinationLabel()
{
    return QStringLiteral("Destination XML file and file to upload");
}
inline QString BrowseButton()
{
    return QStringLiteral("Browse...");
}
inline QString TransformButton()
{
    return QStringLiteral("Transform XMI to XML");
}
inline QString UploadButton()
{
    return QStringLiteral("Upload XML to QUARN...");
}
inline QString ExitButton()
{
    return QStringLiteral("Exit");
}

inline QString EmptyUploadName()
{
    return QStringLiteral("The XML file will be uploaded, but the filename is empty.");
}

// The settings store's company key; the program's key beneath it is the
// executable's name.
inline QString CompanyKey()
{
    return QStringLiteral("Local AppWizard-Generated Applications");
}

// File dialog filters, in Qt's notation: "xmi files" or "xml files", then
// "All files". The source filter also offers .uml files (Eclipse UML2 and
// Papyrus) under its "xmi files (*.xmi)" text: its patterns follow that text
// in a second pair of parentheses, which the dialog hides (HideNameFilterDetails).
#ifdef _WIN32
inline QString SourceFilters()
{
    return QStringLiteral("xmi files (*.xmi) (*.xmi *.uml);;All files (*.*) (*.*)");
}
inline QString DestinationFilters()
{
    return QStringLiteral("xml files (*.xml);;All files (*.*)");
}
#else
// "*.*" would hide files without a dot on this platform.
inline QString SourceFilters()
{
    return QStringLiteral("xmi files (*.xmi) (*.xmi *.uml);;All files (*) (*)");
}
inline QString DestinationFilters()
{
    return QStringLiteral("xml files (*.xml);;All files (*)");
}
#endif

}  // namespace quarn::morvex_texts
