#pragma once
// A custom numbering of the published parameters: which global id the host
// sees under each published number, and under which display name. The
// published-parameter table loaded from its text file implements it.

#include <cstdint>

class AM_PublishedNumbering {
public:
    virtual ~AM_PublishedNumbering() = default;
    // The global id of published number p; -1 when p names none.
    virtual int32_t getInternalIDFromPublished(int32_t p) const = 0;
    // The display name of published number p; null or empty for none.
    virtual const char* getPublishedName(int32_t p) const = 0;
};
