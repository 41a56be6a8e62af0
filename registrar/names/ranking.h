#pragma once

#include <utility>

namespace varnex::registrar {

// The one order of ranked labels and words: the highest score first; of equal
// scores the shorter, then in alphabetical order, so that the order never
// depends on how the scores were gathered.
template <typename Text>
bool ranksBefore(const std::pair<Text, double> &a, const std::pair<Text, double> &b)
{
    if (a.second != b.second)
        return a.second > b.second;
    if (a.first.size() != b.first.size())
        return a.first.size() < b.first.size();
    return a.first < b.first;
}

} // namespace varnex::registrar
