#include "outside/stallwick/Stallwick.h"

Stallwick &Stallwick::share()
{
    static Stallwick instance;
    return instance;
}

void Stallwick::autoSaveStallwick()
{
    ++m_calls;
}
