// Builds a stand-in world shaped like published studies of the .com zone
// (tests/support/world_rules.py: short names and dictionary words taken, most
// joins of two words taken in .com) with a resolver (10 ms) and registries in
// the real bootstrap's shape (100 ms, .com and .net on one host) that agree on
// it, and asks varnex-registrar a fresh page for each of 32 keywords of every
// kind, over HTTP/1.1 registries and over HTTP/2 ones. Prints for each: names
// offered, distinct labels, .com names, the share holding a typed word (or its
// plain-ASCII form), registry lookups, DNS questions, and the page's time on
// each transport; checks every offered name against the stand-in registry
// itself (a name it calls registered is a false offer). Then the same pages
// with a resolver that drops one question in five and with a silent one.
//
// With --first-choices, the 40 keywords of first_choices.tsv instead, each
// page held against the names a person would try first: how many of those
// are free in the world and how many the page offers, how many labels hold a
// related word rather than a typed one, which forms read wrong by simple rules
// (first_choices.h), and the share of hyphenated labels; every page's names
// are printed, to be read by hand. With --held-out, the same for the 20
// keywords of first_choices_held_out.tsv, which the first round of tuning
// never saw; with --second-held-out to --twenty-sixth-held-out, the 20 of
// first_choices_held_out_2.tsv to _26.tsv, written before the second round,
// before its last changes were judged, before the third to eighth, after the
// eighth, before the ninth, before the tenth, before the eleventh, after it,
// before the twelfth, after it, before the thirteenth, before the
// fourteenth, before the fifteenth, during it, before the sixteenth, during
// it, before the seventeenth, during it, before the eighteenth and during it.
//
//   bench_suggestions [--resolvers | --pages] [--first-choices | --held-out | --second-held-out |
//                     --third-held-out | --fourth-held-out | --fifth-held-out | --sixth-held-out |
//                     --seventh-held-out | --eighth-held-out | --ninth-held-out | --tenth-held-out |
//                     --eleventh-held-out | --twelfth-held-out |
//                     --thirteenth-held-out | --fourteenth-held-out |
//                     --fifteenth-held-out | --sixteenth-held-out |
//                     --seventeenth-held-out | --eighteenth-held-out |
//                     --nineteenth-held-out | --twentieth-held-out |
//                     --twenty-first-held-out | --twenty-second-held-out |
//                     --twenty-third-held-out | --twenty-fourth-held-out |
//                     --twenty-fifth-held-out | --twenty-sixth-held-out] [--only]
//                    [--show KEYWORD...]
//   --resolvers: only the resolver cases; --pages: no resolver cases; --only: only the keywords shown

#include "first_choices.h"
#include "names/ascii_forms.h"
#include "names/name_rules.h"
#include "registrar_harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <optional>
#include <utility>

namespace {

using namespace std::chrono_literals;
using varnex::bench::waitUntil;

// Common words, phrases, made-up brands, digits and hyphens, accented words, long phrases.
QStringList kKeywords{"shop",
                      "pizza",
                      "coffee",
                      "garden",
                      "travel",
                      "music",
                      "bakery",
                      "fitness",
                      "wedding",
                      "cloud",
                      "my shop",
                      "best pizza",
                      "coffee house",
                      "green energy",
                      "pet care",
                      "dog grooming",
                      "best lawyer",
                      "yoga studio",
                      "vortexa",
                      "zentrova",
                      "lumora",
                      "shop24",
                      "e-bike",
                      "24 hour plumber",
                      "café",
                      "bücher",
                      "crèmebrûlée",
                      "señortaco",
                      "best pizza place in new york city",
                      "handmade leather bags for men",
                      "affordable family dentist near me",
                      "city bikes"};

QByteArray get(QNetworkAccessManager &network, const QString &url, int *status = nullptr, bool http2 = false)
{
    QNetworkRequest request{QUrl(url)};
    if (http2) // the stand-in registries speak only HTTP/2 then
        request.setAttribute(QNetworkRequest::Http2DirectAttribute, true);
    QNetworkReply *reply = network.get(request);
    waitUntil([reply] { return reply->isFinished(); }, 60s);
    if (status)
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}

std::optional<QByteArray> startProcess(QProcess &process, const QStringList &arguments)
{
    process.setWorkingDirectory(QStringLiteral(VARNEX_TEST_SUPPORT_DIR));
    process.start(VARNEX_PYTHON3, arguments);
    if (!process.waitForStarted(5000) || !waitUntil([&] { return process.canReadLine(); }, 30s))
        return std::nullopt;
    return process.readLine().trimmed();
}

struct PageFigures {
    int status = 0;
    QStringList offered;
    double ms = 0;
    long long lookups = 0;
    long long questions = 0;
    int falseOffers = 0;
};

// A stand-in world: one resolver, one process playing the five registries.
class World final {
public:
    bool start(bool http2, int dropEvery)
    {
        m_http2 = http2;
        QStringList dnsArguments{"stand_in_dns.py", "--world", "studies", "--delay", "0.01"};
        if (dropEvery > 0)
            dnsArguments += {"--drop-every", QString::number(dropEvery)};
        m_resolverOff = dropEvery < 0;
        QStringList registryArguments{"stand_in_registry.py", "--world", "studies", "--delay", "0.1",
                                      "--listeners",          "5"};
        if (http2)
            registryArguments.append("--http2");
        const std::optional<QByteArray> dnsPort = startProcess(m_dns, dnsArguments);
        const std::optional<QByteArray> ports = startProcess(m_registries, registryArguments);
        if (!dnsPort || !ports || ports->split(' ').size() != 5)
            return false;
        m_network.setProxy(QNetworkProxy::NoProxy);
        m_dnsPort = *dnsPort;
        m_ports = ports->split(' ');
        auto service = [&](const QByteArray &endings, int i) {
            return "[[" + endings + "],[\"http://127.0.0.1:" + m_ports[i] + "/rdap/\"]]";
        };
        m_bootstrap = R"({"services":[)" + service(R"("com","net")", 0) + "," + service(R"("org")", 1) + ","
                      + service(R"("biz")", 2) + "," + service(R"("info")", 3) + "," + service(R"("us")", 4) + "]}";
        m_arguments = {"--resolver",
                       m_resolverOff ? QStringLiteral("off") : "127.0.0.1:" + QString::fromLatin1(m_dnsPort),
                       "--suggestions", "words"};
        if (http2)
            m_arguments.append("--cleartext-http2");
        // The stand-ins read their word list on first use: not part of any page.
        get(m_network, registryUrl(0) + "/rdap/domain/warmup.com", nullptr, m_http2);
        ask(QByteArray::fromHex("0000020001"), "warmup.com"); // NS
        questionsSoFar();
        return true;
    }

    ~World()
    {
        varnex::bench::stopProcess(m_dns);
        varnex::bench::stopProcess(m_registries);
    }

    // A fresh service (empty cache) asked one page, and what it cost the world.
    std::optional<PageFigures> page(const QString &keyword, QString *error)
    {
        varnex::bench::Registrar registrar(m_bootstrap);
        if (!registrar.start(error, m_arguments))
            return std::nullopt;
        const long long lookupsBefore = settled([&] { return lookups(); });
        const long long questionsBefore = questionsSoFar();
        PageFigures figures;
        QElapsedTimer timer;
        timer.start();
        const QByteArray page = get(
            m_network, registrar.origin() + "/whois.cgi?vhost_name=" + QString(keyword).remove(' '), &figures.status);
        figures.ms = double(timer.nsecsElapsed()) / 1e6;
        figures.lookups = settled([&] { return lookups(); }) - lookupsBefore;
        figures.questions = questionsSoFar() - questionsBefore;
        registrar.stop();
        static const QRegularExpression field(R"re(<input type="checkbox" name="domain\d+" value="([^"]*)">)re");
        for (auto it = field.globalMatch(QString::fromUtf8(page)); it.hasNext();)
            figures.offered.append(it.next().captured(1));
        // Ask the stand-in registry itself about every offered name.
        for (const QString &name : figures.offered) {
            const int host = name.endsWith(".com") || name.endsWith(".net") ? 0
                             : name.endsWith(".org")                        ? 1
                             : name.endsWith(".biz")                        ? 2
                             : name.endsWith(".info")                       ? 3
                                                                            : 4;
            int answer = 0;
            get(m_network, registryUrl(host) + "/rdap/domain/" + name, &answer, m_http2);
            figures.falseOffers += answer == 404 ? 0 : 1;
        }
        settled([&] { return lookups(); }); // the checks above are no page's lookups
        return figures;
    }

    // The labels whose .com the stand-in registry calls free.
    QStringList freeComs(const QStringList &labels)
    {
        QStringList free;
        for (const QString &label : labels) {
            int answer = 0;
            get(m_network, registryUrl(0) + "/rdap/domain/" + label + ".com", &answer, m_http2);
            if (answer == 404)
                free.append(label);
        }
        settled([&] { return lookups(); }); // no page's lookups
        return free;
    }

    const QByteArray &bootstrap() const { return m_bootstrap; }
    const QStringList &arguments() const { return m_arguments; }

private:
    QString registryUrl(int i) const { return "http://127.0.0.1:" + QString::fromLatin1(m_ports[i]); }

    // Counted by the HTTP/1.1 stand-in only.
    long long lookups()
    {
        if (m_http2)
            return 0;
        return QJsonDocument::fromJson(get(m_network, registryUrl(0) + "/stats")).object().value("lookups").toInteger();
    }

    // Read once nothing has changed for a while, so late lookups count for their page.
    template <typename Count>
    static long long settled(Count count)
    {
        long long last = -1;
        for (;;) {
            const long long now = count();
            if (now == last)
                return now;
            last = now;
            waitUntil([] { return false; }, 300ms);
        }
    }

    // One question to the stand-in resolver; its answer, or nothing.
    QByteArray ask(const QByteArray &typeAndClass, const QByteArray &name)
    {
        QUdpSocket socket;
        QByteArray query = QByteArray::fromHex("beef01000001000000000000");
        for (const QByteArray &label : name.split('.'))
            query += char(label.size()) + label;
        query += typeAndClass;
        socket.writeDatagram(query, QHostAddress::LocalHost, quint16(m_dnsPort.toUInt()));
        if (!socket.waitForReadyRead(5000))
            return {};
        QByteArray answer(int(socket.pendingDatagramSize()), '\0');
        socket.readDatagram(answer.data(), answer.size());
        return answer;
    }

    // The stand-in resolver answers a TXT question for questions.stats.invalid with its count.
    long long questionsSoFar()
    {
        return settled([&] {
            static const QRegularExpression number(QStringLiteral("count=(\\d+)"));
            const QByteArray answer = ask(QByteArray::fromHex("0000100001"), "questions.stats.invalid");
            return QRegularExpressionMatch(number.match(QString::fromLatin1(answer))).captured(1).toLongLong();
        });
    }

    QProcess m_dns;
    QProcess m_registries;
    QByteArray m_dnsPort;
    QList<QByteArray> m_ports;
    QByteArray m_bootstrap;
    QStringList m_arguments;
    QNetworkAccessManager m_network;
    bool m_http2 = false;
    bool m_resolverOff = false;
};

// The words a user typed, and their plain-ASCII forms: an offered name that
// holds one of them is on topic.
QStringList typedWords(const QString &keyword)
{
    QStringList words;
    for (const QString &word : keyword.split(' ', Qt::SkipEmptyParts)) {
        if (word.size() < 3 && !word.front().isDigit())
            continue;
        words.append(word.toLower());
        words += varnex::registrar::plainAsciiForms(word.toLower());
    }
    const QString whole = QString(keyword).remove(' ').toLower();
    words.append(whole);
    words += varnex::registrar::plainAsciiForms(whole);
    for (QString &word : words)
        word.remove('-');
    return words;
}

// The same page again and again, as from the cache: wrk at 64 connections.
void cachedPage()
{
    World world;
    if (!world.start(false, 0))
        return;
    varnex::bench::Registrar registrar(world.bootstrap());
    QString error;
    if (!registrar.start(&error, world.arguments()))
        return;
    const QString url = registrar.origin() + "/whois.cgi?vhost_name=shop";
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    get(network, url);
    QProcess wrk;
    wrk.start(QStringLiteral("wrk"), {"-t2", "-c64", "-d10s", "--latency", url});
    if (!wrk.waitForStarted(5000)) {
        std::printf("cached page: skipped, wrk is not installed (Debian package wrk)\n");
        return;
    }
    waitUntil([&] { return wrk.state() == QProcess::NotRunning; }, 60s);
    for (const QByteArray &line : wrk.readAllStandardOutput().split('\n')) {
        if (line.contains("Requests/sec") || line.contains(" 99%") || line.contains("Non-2xx")
            || line.contains("Socket errors"))
            std::printf("cached page for shop, wrk -t2 -c64 -d10s: %s\n", line.simplified().constData());
    }
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The same pages over HTTP/1.1 with the screen off, a healthy resolver, one
// that drops one question in five, and one that answers nothing.
void resolverCosts(int &falseOffers)
{
    struct Case {
        const char *what;
        int dropEvery;
    };
    std::optional<double> off;
    for (const Case &resolver : {Case{"off (--resolver off)", -1}, Case{"healthy", 0},
                                 Case{"dropping one question in five", 5}, Case{"answering nothing", 1}}) {
        World world;
        if (!world.start(false, resolver.dropEvery)) {
            std::fprintf(stderr, "cannot start the stand-in world\n");
            return;
        }
        std::vector<double> times;
        int fewestNames = 1 << 30;
        for (const QString &keyword : kKeywords) {
            QString error;
            const std::optional<PageFigures> figures = world.page(keyword, &error);
            if (!figures)
                return;
            falseOffers += figures->falseOffers;
            times.push_back(figures->ms);
            fewestNames = std::min(fewestNames, int(figures->offered.size()));
        }
        if (!off)
            off = median(times);
        std::printf("resolver %-30s median page %5.0f ms over HTTP/1.1 (%+5.0f ms beside the screen off), at least %2d "
                    "names a page\n",
                    resolver.what, median(times), median(times) - *off, fewestNames);
    }
}

// A page's distinct labels as a person reads them: Unicode, without the ending.
QStringList labelsOf(const QStringList &offered)
{
    QStringList labels;
    for (const QString &name : offered) {
        const QString label = varnex::registrar::displayName(name).section('.', 0, 0);
        if (!labels.contains(label))
            labels.append(label);
    }
    return labels;
}

struct Pages {
    std::map<QString, PageFigures> onHttp1, onHttp2;
    std::map<QString, QStringList> freeFirstChoices; // in the HTTP/1.1 world
    int falseOffers = 0;
};

// Every keyword's page over HTTP/1.1, then over HTTP/2, each in a world of its own.
bool askPages(const QStringList &keywords, const std::map<QString, varnex::bench::FirstChoices> &references,
              Pages &pages)
{
    for (const bool http2 : {false, true}) {
        World world;
        if (!world.start(http2, 0)) {
            std::fprintf(stderr, "cannot start the stand-in world (%s with python3-dnslib and python3-h2)\n",
                         VARNEX_PYTHON3);
            return false;
        }
        for (const QString &keyword : keywords) {
            QString error;
            const std::optional<PageFigures> figures = world.page(keyword, &error);
            if (!figures) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return false;
            }
            pages.falseOffers += figures->falseOffers;
            (http2 ? pages.onHttp2 : pages.onHttp1)[keyword] = *figures;
            if (!http2 && references.count(keyword))
                pages.freeFirstChoices[keyword] = world.freeComs(references.at(keyword).first);
        }
    }
    return true;
}

// The keywords' pages beside the names a person would try first.
void printFirstChoices(const std::vector<varnex::bench::FirstChoices> &references, const Pages &pages)
{
    QString error;
    const std::optional<varnex::bench::FormRules> rules = varnex::bench::FormRules::load(&error);
    if (!rules) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return;
    }
    std::printf("\n%-36s %6s %6s %5s %6s %7s %7s %7s %5s %9s %6s %7s %9s %9s %9s\n", "keyword", "names", "labels",
                ".com", "first", "offered", "related", "instead", "other", "malformed", "hyphen", "lookups",
                "questions", "HTTP/1.1", "HTTP/2");
    int free = 0, offered = 0, withRelated = 0, relatedOnPage = 0, insteadOnPage = 0, eitherOnPage = 0, malformed = 0;
    std::map<QString, int> byRule;
    for (const varnex::bench::FirstChoices &reference : references) {
        const PageFigures &page = pages.onHttp1.at(reference.keyword);
        const QStringList labels = labelsOf(page.offered);
        const varnex::bench::FormReport report = rules->judge(reference, labels);
        QStringList joinedLabels = labels; // "e-bike" and "ebike" are one label to a reader
        joinedLabels.replaceInStrings(QStringLiteral("-"), QString());
        joinedLabels.removeDuplicates();
        const QStringList freeFirst = pages.freeFirstChoices.at(reference.keyword);
        QStringList missed;
        for (const QString &label : freeFirst) {
            if (!page.offered.contains(label + ".com"))
                missed.append(label);
        }
        const int com = int(std::count_if(page.offered.begin(), page.offered.end(),
                                          [](const QString &name) { return name.endsWith(".com"); }));
        free += int(freeFirst.size());
        offered += int(freeFirst.size() - missed.size());
        withRelated += reference.related.isEmpty() ? 0 : 1;
        relatedOnPage += !reference.related.isEmpty() && report.relatedLabels > 0 ? 1 : 0;
        insteadOnPage += !reference.related.isEmpty() && report.insteadLabels > 0 ? 1 : 0;
        // Either way a related word is on the page: clipped ("knitclub") or a word of its own ("housesitter").
        eitherOnPage +=
            !reference.related.isEmpty() && (report.insteadLabels > 0 || report.otherWordLabels > 0) ? 1 : 0;
        malformed += int(report.malformed.size());
        for (const QString &entry : report.malformed)
            ++byRule[entry.section('(', 1).chopped(1)];
        std::printf("%-36s %6d %6d %5d %6d %7d %7d %7d %5d %9d %5.0f%% %7lld %9lld %6.0f ms %6.0f ms%s\n",
                    qPrintable(reference.keyword), int(page.offered.size()), int(joinedLabels.size()), com,
                    int(freeFirst.size()), int(freeFirst.size() - missed.size()), report.relatedLabels,
                    report.insteadLabels, report.otherWordLabels, int(report.malformed.size()),
                    labels.isEmpty() ? 0.0 : 100.0 * report.hyphenatedLabels / double(labels.size()), page.lookups,
                    page.questions, page.ms, pages.onHttp2.at(reference.keyword).ms,
                    page.status == 200 ? "" : qPrintable(QStringLiteral(" (status %1)").arg(page.status)));
        std::printf("      page: %s\n", qPrintable(page.offered.join(' ')));
        if (!missed.isEmpty())
            std::printf("      free first choices not offered: %s\n", qPrintable(missed.join(' ')));
        if (!report.malformed.isEmpty())
            std::printf("      malformed: %s\n", qPrintable(report.malformed.join(", ")));
    }
    QStringList rulesSeen;
    for (const auto &[rule, count] : byRule)
        rulesSeen.append(QStringLiteral("%1 %2").arg(count).arg(rule));
    std::printf("first choices: %d free in the world, %d of them offered (%.0f %%); a related word on the page for "
                "%d of %d keywords that have one (in place of a typed word: %d; that or a word of its own, no "
                "typed word or its plural: %d); %d malformed forms%s\n",
                free, offered, free == 0 ? 0.0 : 100.0 * offered / free, relatedOnPage, withRelated, insteadOnPage,
                eitherOnPage, malformed, rulesSeen.isEmpty() ? "" : qPrintable(" (" + rulesSeen.join(", ") + ")"));
}

// The figures every page must keep: names, labels, .com, lookups, questions, times.
void printPages(const QStringList &keywords, const QStringList &show, const Pages &pages)
{
    std::printf(
        "stand-in world: resolver 10 ms, registries 100 ms (.com/.net on one host); a new service (empty cache) "
        "for each page\n");
    std::printf("%-36s %6s %6s %5s %7s %7s %9s %9s %9s\n", "keyword", "names", "labels", ".com", "typed", "lookups",
                "questions", "HTTP/1.1", "HTTP/2");
    std::vector<double> http1Times, http2Times, typedShares;
    int fewest = 1 << 30, fewestLabels = 1 << 30, fewestCom = 1 << 30;
    long long mostLookups = 0, mostQuestions = 0;
    for (const QString &keyword : keywords) {
        const PageFigures &page = pages.onHttp1.at(keyword);
        const PageFigures &onHttp2 = pages.onHttp2.at(keyword);
        QSet<QString> labels;
        int com = 0, typed = 0;
        const QStringList words = typedWords(keyword);
        for (const QString &name : page.offered) {
            const QString label = varnex::registrar::displayName(name).section('.', 0, 0).remove('-');
            labels.insert(label);
            com += name.endsWith(".com") ? 1 : 0;
            typed += std::any_of(words.begin(), words.end(),
                                 [&](const QString &word) {
                                     return label.contains(word)
                                            || varnex::registrar::plainAsciiForms(label).join(' ').contains(word);
                                 })
                         ? 1
                         : 0;
        }
        const double share = page.offered.isEmpty() ? 0 : 100.0 * typed / double(page.offered.size());
        typedShares.push_back(share);
        http1Times.push_back(page.ms);
        http2Times.push_back(onHttp2.ms);
        fewest = std::min(fewest, int(page.offered.size()));
        fewestLabels = std::min(fewestLabels, int(labels.size()));
        fewestCom = std::min(fewestCom, com);
        mostLookups = std::max({mostLookups, page.lookups, onHttp2.lookups});
        mostQuestions = std::max(mostQuestions, page.questions);
        std::printf("%-36s %6d %6d %5d %6.0f%% %7lld %9lld %7.0f ms %6.0f ms%s\n", qPrintable(keyword),
                    int(page.offered.size()), int(labels.size()), com, share, page.lookups, page.questions, page.ms,
                    onHttp2.ms, page.status == 200 ? "" : qPrintable(QStringLiteral(" (status %1)").arg(page.status)));
        if (show.contains(keyword))
            std::printf("      %s\n", qPrintable(page.offered.join(' ')));
    }
    std::printf(
        "%d keywords: at least %d names, %d labels and %d .com names a page; median %.0f%% holding a typed word "
        "(lowest %.0f%%); at most %lld registry lookups and %lld DNS questions a page; median page %.0f ms over "
        "HTTP/1.1, %.0f ms over HTTP/2; %d false offers\n",
        int(keywords.size()), fewest, fewestLabels, fewestCom, median(typedShares),
        *std::min_element(typedShares.begin(), typedShares.end()), mostLookups, mostQuestions, median(http1Times),
        median(http2Times), pages.falseOffers);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    QStringList show = arguments.mid(arguments.indexOf("--show") + 1);
    if (!arguments.contains("--show"))
        show = {"pizza", "best lawyer", "vortexa", "café", "best pizza place in new york city"};

    std::vector<varnex::bench::FirstChoices> references;
    std::map<QString, varnex::bench::FirstChoices> byKeyword;
    // Each reference list and the flag that picks it; the held-out lists were
    // written before the round of tuning they judge.
    static const std::pair<const char *, const char *> kLists[] = {
        {"--held-out", VARNEX_FIRST_CHOICES_HELD_OUT},
        {"--second-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_2},
        {"--third-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_3},
        {"--fourth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_4},
        {"--fifth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_5},
        {"--sixth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_6},
        {"--seventh-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_7},
        {"--eighth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_8},
        {"--ninth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_9},
        {"--tenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_10},
        {"--eleventh-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_11},
        {"--twelfth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_12},
        {"--thirteenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_13},
        {"--fourteenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_14},
        {"--fifteenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_15},
        {"--sixteenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_16},
        {"--seventeenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_17},
        {"--eighteenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_18},
        {"--nineteenth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_19},
        {"--twentieth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_20},
        {"--twenty-first-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_21},
        {"--twenty-second-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_22},
        {"--twenty-third-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_23},
        {"--twenty-fourth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_24},
        {"--twenty-fifth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_25},
        {"--twenty-sixth-held-out", VARNEX_FIRST_CHOICES_HELD_OUT_26},
        {"--first-choices", VARNEX_FIRST_CHOICES},
    };
    const auto chosen = std::find_if(std::begin(kLists), std::end(kLists),
                                     [&](const auto &list) { return arguments.contains(QLatin1String(list.first)); });
    const bool firstChoices = chosen != std::end(kLists);
    if (firstChoices) {
        QString error;
        const auto read = varnex::bench::readFirstChoices(QString::fromUtf8(chosen->second), &error);
        if (!read) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        references = *read;
        kKeywords.clear();
        for (const varnex::bench::FirstChoices &reference : references) {
            kKeywords.append(reference.keyword);
            byKeyword[reference.keyword] = reference;
        }
    }
    if (arguments.contains("--only")) {
        kKeywords = show.filter(QRegularExpression(QStringLiteral("^[^-]")));
        references.erase(std::remove_if(references.begin(), references.end(),
                                        [](const auto &reference) { return !kKeywords.contains(reference.keyword); }),
                         references.end());
    }

    if (arguments.contains("--resolvers")) {
        int falseOffers = 0;
        resolverCosts(falseOffers);
        return falseOffers == 0 ? 0 : 1;
    }
    Pages pages;
    if (!askPages(kKeywords, byKeyword, pages))
        return 1;
    printPages(kKeywords, show, pages);
    if (firstChoices) {
        printFirstChoices(references, pages);
        return pages.falseOffers == 0 ? 0 : 1;
    }
    int falseOffers = pages.falseOffers;
    if (arguments.contains("--pages")) // the pages alone, for timing them beside another build
        return falseOffers == 0 ? 0 : 1;
    resolverCosts(falseOffers);
    cachedPage();
    return falseOffers == 0 ? 0 : 1;
}
