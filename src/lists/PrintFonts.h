#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace lists {

// The face of the printed list: Arial, or a face with Arial's metrics where Arial
// is not installed, so that texts take the same room as on the original form.
QString printFontFamily();
QFont printFont(double pointSize, bool bold = false, bool italic = false);

// Text measurements in millimetres, the same on every screen and printer.
double textWidthMm(const QFont& font, const QString& text);
double lineHeightMm(const QFont& font);
// Breaks a text into lines no wider than widthMm: at word boundaries, or inside a
// word that is wider than a line by itself. Never returns an empty list.
QStringList wrapTextMm(const QFont& font, const QString& text, double widthMm);

} // namespace lists
