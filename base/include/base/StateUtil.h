// A 32-bit flag word. The task pool's counter hands its results back in one,
// and framework classes derive from it to keep their own flags.
#pragma once

#include <cstdint>

class CStateUtil {
public:
    CStateUtil() = default;
    CStateUtil(const CStateUtil& other) : m_state(other.m_state) {}
    CStateUtil& operator=(const CStateUtil& other) {
        m_state = other.m_state;
        return *this;
    }
    virtual ~CStateUtil() = default;

    virtual void Set(uint32_t word) { m_state = word; }
    virtual void Add(uint32_t bits) { m_state |= bits; }
    virtual void Remove(uint32_t bits) { m_state &= ~bits; }
    // True when every one of the given bits is set.
    virtual bool Test(uint32_t bits) const { return (m_state & bits) == bits; }

    uint32_t Get() const { return m_state; }

private:
    uint32_t m_state = 0;
};
