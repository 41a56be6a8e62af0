#pragma once

// The names a person would try first for a keyword (first_choices.tsv), and
// simple rules that find forms a person would not write. The rules read only
// the offered labels, the typed keyword and the word lists, never the
// service's own word knowledge, so they judge it from outside.

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace varnex::bench {

struct FirstChoices {
    QString keyword; // as typed: spaces, accents and hyphens kept
    QString kind;    // trade, hobby, product, service, brand, digits, foreign or phrase
    bool fixedOrder = false;
    QStringList first;   // labels a person tries first, under .com
    QStringList related; // the same topic in other words
};

std::optional<std::vector<FirstChoices>> readFirstChoices(const QString &path, QString *error);

// What one page's labels show against a keyword's reference.
struct FormReport {
    int relatedLabels = 0;   // labels that hold a related word and no typed one
    int insteadLabels = 0;   // labels where a related word stands in for a typed one ("24hourdrugstore")
    int otherWordLabels = 0; // labels holding a related word that is no typed word or its plural ("housesitter")
    int hyphenatedLabels = 0;
    QStringList malformed; // "label (rule)"
};

class FormRules final {
public:
    // Reads the English word list and Debian's German, Spanish and French ones.
    static std::optional<FormRules> load(QString *error);

    // `labels`: the page's distinct labels in Unicode form, without endings.
    FormReport judge(const FirstChoices &reference, const QStringList &labels) const;

private:
    FormRules() = default;
    QStringList typedForms(const FirstChoices &reference) const;
    QString malformedRule(const FirstChoices &reference, const QString &label) const;

    QSet<QString> m_english;
    QSet<QString> m_foreign; // lower-case, in their own letters and in plain ASCII
    QSet<QString> m_spanish; // the same, of the Spanish list alone
};

} // namespace varnex::bench
