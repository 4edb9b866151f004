#pragma once
// Scope counter of the script machine: counts how often a scope level was
// entered and left. The machine keeps a chain of them (normally one).

#include <cstdint>

class AM_ScriptMachine;

class ExpScope {
public:
    ExpScope(ExpScope* outer, AM_ScriptMachine* machine) : next(outer), machine_(machine) {}
    virtual ~ExpScope() = default;
    ExpScope(const ExpScope&) = delete;
    ExpScope& operator=(const ExpScope&) = delete;

    // The flag set at creation.
    virtual bool firstFlag() const { return first_ != 0; }
    // One level deeper; always true.
    virtual bool enter()
    {
        ++counter_;
        return true;
    }
    // One level up; true while levels remain.
    virtual bool leave()
    {
        if (counter_ > 0)
            --counter_;
        return counter_ > 0;
    }
    virtual bool hasSecond() const { return second_ != 0; }

    uint32_t counter() const { return counter_; }
    AM_ScriptMachine* machine() const { return machine_; }

    ExpScope* next; // the outer scope object

private:
    uint32_t counter_ = 0;
    AM_ScriptMachine* machine_;
    uint32_t second_ = 0;
    uint32_t first_ = 1;
};
