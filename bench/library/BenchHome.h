#pragma once

#include <QString>

// Logs, settings and caches of a bench run go below a private home instead of the user's.
namespace BenchHome {

// Points HOME and the XDG data, config, state and cache folders below home. Call before the
// application object exists.
void use(const QString &home);

} // namespace BenchHome
