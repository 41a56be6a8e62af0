#pragma once

#include <QString>

namespace varnex::registrar {

// How locals write a well-known city, region or state in a name: "pdx" for
// Portland, "sd" for San Diego, "obx" for the Outer Banks, "tx" for Texas;
// empty for a place without one. `place` is its words joined, lower-case.
QString placeShortForm(const QString &place);
// Whether the word is such a short form: "slc", "pdx".
bool isPlaceShortForm(const QString &word);

} // namespace varnex::registrar
