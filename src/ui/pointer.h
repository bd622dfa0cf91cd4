#pragma once

// The mouse pointer of the whole program: busy (hourglass) or normal. "Normal" clears the busy
// state however often busy was set, as screens set busy before record-set work and normal after.
namespace pointer {
void busy();
void normal();
bool isBusy();

// The busy pointer for as long as the guard lives, the normal one after it; end() gives the
// normal pointer back sooner, before a message is shown, say.
class Busy
{
public:
    Busy() { busy(); }
    ~Busy() { end(); }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

    void end()
    {
        if (m_on)
            normal();
        m_on = false;
    }

private:
    bool m_on = true;
};
} // namespace pointer
