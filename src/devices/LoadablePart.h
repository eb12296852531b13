#pragma once

#include "devices/ILoadable.h"

#include <QMutex>

#include <functional>

// A loadable part whose reading is one function returning whether it succeeded; reading is
// serialised and the state goes Loading, then Loaded or back to NotLoaded.
class LoadablePart : public ILoadable
{
public:
    using Reader = std::function<bool()>;
    explicit LoadablePart(Reader reader = {});

    void setReader(Reader reader);
    int syncState() const override;
    std::shared_ptr<IAsyncTask> load(int userState = 0) override;
    // Forgets the loaded state (the device changed).
    void invalidate();

private:
    mutable QMutex m_lock;
    QMutex m_readLock;
    Reader m_reader;
    int m_state = 0;
};
