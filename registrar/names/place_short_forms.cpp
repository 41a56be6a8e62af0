#include "names/place_short_forms.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace varnex::registrar {

namespace {

// Written down by hand: the short forms people use in local business names
// and on signs. Left out are those that read as a word or glue in a name
// ("or" for Oregon, "hi" for Hawaii, "co" for Colorado) and places whose
// short form is shared ("washington"). Sorted by place.
constexpr auto kShortForms = std::to_array<std::pair<std::string_view, std::string_view>>({
    {"alaska", "ak"},
    {"albuquerque", "abq"},
    {"arizona", "az"},
    {"atlanta", "atl"},
    {"austin", "atx"},
    {"baltimore", "bmore"},
    {"brooklyn", "bklyn"},
    {"charlotte", "clt"},
    {"chicago", "chi"},
    {"cincinnati", "cincy"},
    {"connecticut", "ct"},
    {"dallas", "dfw"},
    {"florida", "fl"},
    {"floridakeys", "keys"},
    {"houston", "htx"},
    {"hudsonvalley", "hv"},
    {"indianapolis", "indy"},
    {"jacksonville", "jax"},
    {"kansascity", "kc"},
    {"kentucky", "ky"},
    {"lasvegas", "vegas"},
    {"london", "ldn"},
    {"losangeles", "la"},
    {"manchester", "mcr"},
    {"manhattan", "nyc"},
    {"maryland", "md"},
    {"massachusetts", "mass"},
    {"melbourne", "melb"},
    {"milwaukee", "mke"},
    {"minneapolis", "mpls"},
    {"minnesota", "mn"},
    {"montreal", "mtl"},
    {"nevada", "nv"},
    {"newhampshire", "nh"},
    {"newjersey", "nj"},
    {"newmexico", "nm"},
    {"neworleans", "nola"},
    {"newyork", "nyc"},
    {"newyorkcity", "nyc"},
    {"northcarolina", "nc"},
    {"northdakota", "nd"},
    {"northerncalifornia", "norcal"},
    {"oklahomacity", "okc"},
    {"orangecounty", "oc"},
    {"outerbanks", "obx"},
    {"philadelphia", "philly"},
    {"phoenix", "phx"},
    {"pittsburgh", "pgh"},
    {"portland", "pdx"},
    {"rhodeisland", "ri"},
    {"saintlouis", "stl"},
    {"saltlakecity", "slc"},
    {"sanantonio", "satx"},
    {"sandiego", "sd"},
    {"sanfrancisco", "sf"},
    {"sanjose", "sj"},
    {"southcarolina", "sc"},
    {"southdakota", "sd"},
    {"southerncalifornia", "socal"},
    {"stlouis", "stl"},
    {"sydney", "syd"},
    {"tennessee", "tn"},
    {"texas", "tx"},
    {"utah", "ut"},
    {"vancouver", "yvr"},
    {"virginia", "va"},
    {"washingtondc", "dc"},
    {"westvirginia", "wv"},
    {"wisconsin", "wi"},
});

static_assert(std::is_sorted(kShortForms.begin(), kShortForms.end()));

// Cities whose name another city shares, and where the short form is written:
// "pdx" is Portland, Oregon's, not Maine's; "mcr" is the English Manchester.
constexpr auto kHomes = std::to_array<std::pair<std::string_view, std::string_view>>({
    {"manchester", "england"},
    {"manchester", "uk"},
    {"melbourne", "australia"},
    {"melbourne", "victoria"},
    {"portland", "oregon"},
    {"sydney", "australia"},
    {"sydney", "nsw"},
});

} // namespace

QString placeShortForm(const QString &place, const QString &region)
{
    const std::string city = place.toStdString(), typedRegion = region.toStdString();
    const bool shared = std::any_of(kHomes.begin(), kHomes.end(), [&](const auto &home) { return home.first == city; });
    if (shared && !region.isEmpty() && std::none_of(kHomes.begin(), kHomes.end(), [&](const auto &home) {
            return home.first == city && home.second == typedRegion;
        }))
        return {};
    const auto found =
        std::lower_bound(kShortForms.begin(), kShortForms.end(), std::string_view(city),
                         [](const auto &entry, std::string_view wanted) { return entry.first < wanted; });
    if (found == kShortForms.end() || found->first != city)
        return {};
    return QString::fromLatin1(found->second.data(), qsizetype(found->second.size()));
}

bool isPlaceShortForm(const QString &word)
{
    const std::string key = word.toStdString();
    return std::any_of(kShortForms.begin(), kShortForms.end(), [&](const auto &entry) { return entry.second == key; });
}

} // namespace varnex::registrar
