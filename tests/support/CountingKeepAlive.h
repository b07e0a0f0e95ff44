// The GUI's keep-alive pump, installed for the life of the object, counting its pumps and
// calling `onPump` (if given) before each.
#pragma once

#include <functional>
#include <utility>

#include "platform/qt/QtKeepAlive.h"

class CCountingKeepAlive : public CQtKeepAlive {
public:
    explicit CCountingKeepAlive(std::function<void()> onPump = {})
        : m_onPump(std::move(onPump)), m_scope(KeepAliveSlot(), this)
    {
    }
    void Pump() override
    {
        ++m_pumps;
        if (m_onPump)
            m_onPump();
        CQtKeepAlive::Pump();
    }
    int Pumps() const { return m_pumps; }

private:
    int m_pumps = 0;
    std::function<void()> m_onPump;
    CScopedService<IKeepAlive*> m_scope;
};
