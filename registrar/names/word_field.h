#pragma once

namespace varnex::registrar {

// What a keyword names, as far as word knowledge tells, which decides the
// short words its names are built with: "-pros" after a trade, "-club" after
// a hobby, "get-" before a made-up name, "mein-" before a German word.
enum class Field {
    Trade,        // a skilled worker called in: electrician, locksmith, mechanic
    Professional, // another person one hires: accountant, lawyer, photographer
    Health,       // a person who treats one: dentist, physiotherapist
    Artisan,      // a maker by hand at a workshop: glassblower, potter, luthier
    Service,      // an activity done for one: roofing, cleaning, tree removal
    Hobby,        // a sport learnt at a club: archery, fencing, surfing
    Outdoors,     // a pursuit out of doors, on trips with gear: hiking, fishing, birdwatching
    Craft,        // a craft made at a studio with supplies: knitting, pottery, calligraphy
    Study,        // learning or collecting with a society: astronomy, genealogy
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

// A person one hires, is treated by or buys from, whose field's words name them: "localelectrician".
constexpr bool isPerson(Field field)
{
    return field == Field::Trade || field == Field::Professional || field == Field::Health || field == Field::Artisan;
}

// A pastime of any kind: done for its own sake, learnt, no plural ("knittings").
constexpr bool isPastime(Field field)
{
    return field == Field::Hobby || field == Field::Outdoors || field == Field::Craft || field == Field::Study
           || field == Field::Game;
}

} // namespace varnex::registrar
