// Test helper: counts the assertion reports made while it lives.
#pragma once

#include <zut/primitives.h>

class assert_watch {
public:
    assert_watch() : m_start(zut::get_assert_count()) {}
    t_size reports() const { return zut::get_assert_count() - m_start; }

private:
    t_size m_start;
};
