#pragma once

// The update-reserve service called once at start-up and before an update is installed.
// Nothing needs reserving on this system: the calls are kept so the start-up order stays whole.
class Stallwick
{
public:
    static Stallwick &share();
    void autoSaveStallwick();
    int callCount() const { return m_calls; }

private:
    int m_calls = 0;
};
