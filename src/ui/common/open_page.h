#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace varnex {

// The maker's pages: the host alone is the home page.
inline constexpr char kHomePagePath[] = "";
inline constexpr char kProductPagePath[] = "/varnex";
inline constexpr char kFaqPagePath[] = "/varnex/faq.html";
inline constexpr char kResellerPagePath[] = "/register";

// The page address: the maker's host followed directly by the path, no scheme.
QString makerPage(const char *path);

// The one way every web link hands a page to the desktop: the window holding the
// clicked control is the owner, the address has no scheme, and whatever the
// desktop answers is ignored (no browser, no network: nothing is shown).
void openPage(QWidget *clickedControl, const QString &address);

// Where openPage() sends its pages; tests catch them here instead of a browser.
using PageOpener = std::function<void(QWidget *owner, const QString &address)>;
void setPageOpener(PageOpener opener);

} // namespace varnex
