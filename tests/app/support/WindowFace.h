#pragma once

#include <QString>
#include <QStringList>

namespace vantrelle::app {
class TForm1;
}

namespace vantrelle::test {

// The window's face in a few words: which of "Action", "Save", "Cancel" show,
// whether "Browse" is enabled, the colour of the sixteen boxes (grey, white or
// mixed) and whether they can be typed into.
QString faceOf(const app::TForm1& form);

inline const QString browsingFace = QStringLiteral("Action | grey read-only");
inline const QString addingFace = QStringLiteral("Save Cancel Browse | white writable");
inline const QString editingFace = QStringLiteral("Save Cancel | white writable");

// The lines of the list of titles, and the highlighted one ("" for none).
QStringList listedTitles(const app::TForm1& form);
QString highlightedTitle(const app::TForm1& form);

} // namespace vantrelle::test
