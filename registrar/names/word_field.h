#pragma once

namespace varnex::registrar {

// What a keyword names, as far as word knowledge tells, which decides the
// short words its names are built with: "-pros" after a trade, "-club" after
// a hobby, "get-" before a made-up name, "mein-" before a German word.
enum class Field {
    Trade,        // a skilled worker called in: electrician, locksmith, mechanic
    Professional, // another person one hires: accountant, lawyer, photographer
    Health,       // a person who treats one: dentist, physiotherapist
    Service,      // an activity done for one: roofing, cleaning, tree removal
    Hobby,        // a sport or craft: fishing, surfing, knitting
    Game,         // a game one plays: chess
    Food,         // pizza, coffee, vegetables
    Product,      // a thing one buys: candles, sneakers, mattress
    Place,        // a place one goes to: pharmacy, hotel, shop
    Area,         // a city or region: rome
    General,      // a word known in no field above: music, cloud
    Brand,        // no known word: a made-up name
    German,       // a word of another language, which takes that language's short words
    Spanish,
    French,
};

} // namespace varnex::registrar
