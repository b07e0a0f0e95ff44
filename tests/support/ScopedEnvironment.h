// Sets an environment variable (or removes it, for a NULL value) for the life of the scope and
// puts back what was there before, also when the test fails half-way through.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class CScopedEnvironment {
public:
    CScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ~CScopedEnvironment() { Set(m_old ? m_old->c_str() : NULL); }
    CScopedEnvironment(const CScopedEnvironment&) = delete;
    CScopedEnvironment& operator=(const CScopedEnvironment&) = delete;

    void Set(const char* value)
    {
        if (value)
            setenv(m_name.c_str(), value, 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};
