#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace varnex::registrar {

struct ListenAddress {
    QHostAddress host;
    quint16 port = 0;
};

// What varnex-registrar's command line asks for, checked.
struct RegistrarOptions {
    ListenAddress listen;                 // --listen, or the default
    bool listenGiven = false;             // said on the command line, though a passed socket overrules it
    std::optional<QString> bootstrapFile; // --bootstrap: this file instead of the built-in or fetched one
    QUrl bootstrapUrl;                    // --bootstrap-url as given
    bool fetching = false;                // the bootstrap file is fetched from bootstrapUrl
    bool cleartextHttp2 = false;
    std::optional<QString> resolver; // DNS first, of this resolver (empty: the system's); none: off
    bool wordSuggestions = true;     // --suggestions words, not fixed
    std::optional<QString> caFile;
};

struct ParsedOptions {
    std::optional<RegistrarOptions> options;
    QString error; // a usage error when there are no options
};

// Reads the command line (the program's name first). --help and --version
// print what they say and end the program here.
ParsedOptions parseOptions(const QStringList &arguments);

// The address of the program's own default registrar, on loopback.
QString defaultListen();

} // namespace varnex::registrar
