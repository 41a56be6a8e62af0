#pragma once

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// The plain-ASCII forms a person would also type for a Latin-script label
// with accents, through ICU's transliteration: "café" gives "cafe", "bücher"
// gives "buecher" (the German way) and "bucher". Only valid LDH labels, each
// once; none for a label that is ASCII already or not in Latin letters.
QStringList plainAsciiForms(const QString &label);

// Any Latin-script text in plain ASCII letters ("Latin-ASCII"), lower-case;
// empty for text in another script.
QString plainAsciiText(const QString &text);

} // namespace varnex::registrar
