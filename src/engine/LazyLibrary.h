#pragma once

#include <mutex>
#include <string>

// A library the engine needs for one task only (reading a browser's cookie database, parsing a
// page), opened at its first use instead of with the engine: every helper opens the engine at
// its start, and most never need these.
class LazyLibrary
{
public:
    explicit LazyLibrary(const char *soname);
    LazyLibrary(const LazyLibrary &) = delete;
    LazyLibrary &operator=(const LazyLibrary &) = delete;

    // The address of name; nullptr when the library or the name is missing (see error()).
    void *symbol(const char *name);
    template <typename F>
    F function(const char *name)
    {
        return reinterpret_cast<F>(symbol(name));
    }
    // Why the library did not open (it is opened first); "" when it did.
    std::string error();

private:
    void open();

    const char *m_soname;
    std::once_flag m_once;
    void *m_handle = nullptr;
    std::string m_error;
};
