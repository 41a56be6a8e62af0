#pragma once

#include <QByteArrayView>

namespace varnex::registrar {

// What QJsonDocument does not tell of a JSON text: it keeps the last of two
// members of one name without a word, so a body could say one thing to it and
// another to a reader that keeps the first.
struct JsonMembers {
    bool repeated = false; // some object names a member twice: names compared with escapes decoded, case and
                           // surrounding white space ignored
    qsizetype count = 0;   // members of every object, nested ones too
};

// Reads the member names of a JSON text, a byte at a time, never past its end;
// meant for a text QJsonDocument has taken (of any other it reads what it can).
JsonMembers jsonMembersOf(QByteArrayView json);

} // namespace varnex::registrar
