#pragma once

#include <QString>

#include <optional>

namespace varnex::registrar {

// Why the registry of a name's ending would not sell it, from the policies and
// IDN tables the six endings' registries publish: the scripts and languages it
// takes internationalised names in, and the shapes it reserves. `domain` is one
// label and its ending, in its xn-- or its Unicode form, already valid under
// the general name rules (checkLabel()). None when the registry sells names of
// its kind, or when the ending is not one of the six.
std::optional<QString> whyNotRegistrable(const QString &domain);

} // namespace varnex::registrar
