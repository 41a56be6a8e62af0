#include "lookup/host_back_off.h"

#include <algorithm>

namespace varnex::registrar {

void HostBackOff::unreachableUntil(Clock::time_point until, const Availability &failure)
{
    m_unreachableUntil = until;
    m_unreachable = failure;
}

std::optional<Availability> HostBackOff::whileQuiet(const QDateTime &now) const
{
    if (!m_quietUntil.isValid() || now >= m_quietUntil)
        return std::nullopt;
    const auto wait = std::max<qint64>(1, now.secsTo(m_quietUntil));
    return Availability::busy(QStringLiteral("the registry asked to slow down"), std::chrono::seconds(wait));
}

std::optional<Availability> HostBackOff::whileUnreachable(Clock::time_point now) const
{
    if (now >= m_unreachableUntil)
        return std::nullopt;
    return m_unreachable;
}

} // namespace varnex::registrar
