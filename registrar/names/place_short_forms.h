#pragma once

#include <QString>

namespace varnex::registrar {

// How locals write a well-known city, region or state in a name: "pdx" for
// Portland, "sd" for San Diego, "obx" for the Outer Banks, "tx" for Texas;
// empty for a place without one. `place` is its words joined, lower-case;
// `region`, the state or country typed after a city, if any: Portland, Maine
// is no "pdx".
QString placeShortForm(const QString &place, const QString &region = {});
// Whether the word is such a short form: "slc", "pdx".
bool isPlaceShortForm(const QString &word);

} // namespace varnex::registrar
