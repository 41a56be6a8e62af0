#pragma once

#include "shared/endings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::registrar {

// The endings the page checks, in the order it lists them (the window's boxes
// are in the same order).
inline const QStringList kEndings = [] {
    QStringList endings;
    for (std::string_view ending : varnex::kEndings)
        endings.append(QString::fromLatin1(ending.data(), qsizetype(ending.size())));
    return endings;
}();

// Typed text up to this long is taken: beyond a label's 63 characters it is a
// phrase to make names of (the window takes its spaces out).
constexpr qsizetype kMaxTypedText = 200;

// What a typed name comes to: the label in its Unicode form, or why it cannot
// be registered (in plain words, ASCII, fit for an HTTP reason phrase).
struct LabelCheck {
    QString label;
    QString refusal;
    // Text longer than a label, up to kMaxTypedText, in letters a to z (or
    // Latin letters with accents, then given as their plain form), digits and
    // hyphens: `label` holds it, to make names of its words; it is no name itself.
    bool phrase = false;
    explicit operator bool() const { return refusal.isEmpty(); }
};

// Turns the requested name into the label to check: spaces removed,
// lower-cased, one trailing known ending taken off (a double-clicked
// "myshop.net" searches "myshop"), an "xn--" form read back as Unicode. The
// label must be a valid LDH label or a valid internationalised label under
// IDNA2008 whose A-label round-trips, and letters of one script only.
// `requested` is already percent-decoded. Longer text is a phrase (above),
// or refused when longer than kMaxTypedText.
LabelCheck checkLabel(const QString &requested);
// The label, when the requested name is one (not a phrase, not refused).
std::optional<QString> labelFor(const QString &requested);

// The A-label (or LDH label) for a label in Unicode form; empty with `why` set
// when the label is not one that can be registered.
std::optional<QString> asciiLabel(const QString &label, QString *why = nullptr);

// A name as a person reads it: the Unicode form of each A-label.
QString displayName(const QString &domain);

} // namespace varnex::registrar
