#include "lookup/json_members.h"

#include <QSet>
#include <QString>

#include <vector>

namespace varnex::registrar {

namespace {

// One open object or array.
struct Level {
    bool object = false;
    bool atName = false; // in an object, the next string is a member's name
    QSet<QString> names;
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The \uXXXX escape at `at` (just past the "u"), or -1 when it is not four hex digits.
int escapedUnit(QByteArrayView json, qsizetype at)
{
    if (at + 4 > json.size())
        return -1;
    int unit = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const int digit = hexValue(json[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

char unescaped(char c)
{
    switch (c) {
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return c; // '"', '\\', '/'
    }
}

// The string that starts at the quote at `at`, decoded; `at` ends past its closing quote (or at the end).
QString readString(QByteArrayView json, qsizetype &at)
{
    QString text;
    QByteArray run; // raw UTF-8 bytes since the last escape
    for (++at; at < json.size() && json[at] != '"'; ++at) {
        if (json[at] != '\\') {
            run.append(json[at]);
            continue;
        }
        text += QString::fromUtf8(run);
        run.clear();
        if (++at >= json.size())
            break;
        if (json[at] != 'u') {
            text += QLatin1Char(unescaped(json[at]));
            continue;
        }
        const int unit = escapedUnit(json, at + 1);
        if (unit < 0)
            continue;
        text += QChar(char16_t(unit));
        at += 4;
    }
    ++at;
    return text + QString::fromUtf8(run);
}

} // namespace

JsonMembers jsonMembersOf(QByteArrayView json)
{
    JsonMembers members;
    std::vector<Level> levels;
    for (qsizetype at = 0; at < json.size();) {
        const char c = json[at];
        if (c == '"') {
            const QString text = readString(json, at);
            if (levels.empty() || !levels.back().atName)
                continue;
            levels.back().atName = false;
            ++members.count;
            const QString name = text.trimmed().toCaseFolded();
            if (levels.back().names.contains(name))
                members.repeated = true;
            levels.back().names.insert(name);
            continue;
        }
        if (c == '{' || c == '[')
            levels.push_back({c == '{', c == '{', {}});
        else if ((c == '}' || c == ']') && !levels.empty())
            levels.pop_back();
        else if (c == ',' && !levels.empty())
            levels.back().atName = levels.back().object;
        ++at;
    }
    return members;
}

} // namespace varnex::registrar
