#include "LazyLibrary.h"

#include <dlfcn.h>

LazyLibrary::LazyLibrary(const char *soname) : m_soname(soname) {}

void LazyLibrary::open()
{
    std::call_once(m_once, [this] {
        m_handle = dlopen(m_soname, RTLD_LAZY | RTLD_LOCAL);
        if (!m_handle) {
            const char *why = dlerror();
            m_error = why ? why : std::string(m_soname) + " did not open";
        }
    });
}

void *LazyLibrary::symbol(const char *name)
{
    open();
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

std::string LazyLibrary::error()
{
    open();
    return m_error;
}
