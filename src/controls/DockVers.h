// The read-only `Version` property of the toolbar family's controls: reading
// gives the library's version text, writing does nothing.
#pragma once
#include <string>

extern const char* const DockToolbarVersionText;

class TToolbarVersion {
public:
    std::string Get() const { return DockToolbarVersionText; }
    void Set(const std::string&) {}
    operator std::string() const { return Get(); }
};
